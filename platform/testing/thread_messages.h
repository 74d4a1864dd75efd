#pragma once

namespace platform::testing {

// A client's side of the main-thread mode, for tests of a library's posted messages.
// True once a message waits for the calling thread within timeoutMs: on POSIX the
// descriptor (the library's GetNetworkMessageFd) turns readable; on Windows, where the
// library posts to the thread's own queue, the descriptor is not used.
bool WaitForThreadMessage(int descriptor, int timeoutMs);
// One turn of a client's own message loop: waits up to timeoutMs for a message, then
// dispatches every message waiting (Windows: PeekMessageW/DispatchMessageW). How many
// it dispatched; -1 where the system has no such loop (POSIX: the library dispatches).
int PumpThreadMessages(int timeoutMs);

}  // namespace platform::testing
