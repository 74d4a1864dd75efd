#include "platform/testing/thread_messages.h"

#include <windows.h>

namespace platform::testing {

bool WaitForThreadMessage(int, int timeoutMs)
{
    // Input already seen by an earlier peek counts too.
    return MsgWaitForMultipleObjectsEx(0, nullptr, static_cast<DWORD>(timeoutMs), QS_POSTMESSAGE,
                                       MWMO_INPUTAVAILABLE) == WAIT_OBJECT_0;
}

int PumpThreadMessages(int timeoutMs)
{
    WaitForThreadMessage(-1, timeoutMs);
    int dispatched = 0;
    MSG message;
    while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageW(&message);
        ++dispatched;
    }
    return dispatched;
}

}  // namespace platform::testing
