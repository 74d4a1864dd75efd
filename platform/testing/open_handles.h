#pragma once
#include <cstddef>

namespace platform::testing {

// How many descriptors (POSIX) or handles (Windows) the process holds open, for tests
// that check nothing is left behind. Wine does not count handles: 0 there.
std::size_t OpenHandleCount();

// Leaves the process unable to open one more descriptor, for a test (in a child
// process of its own) that shows how a creation failure is met. False where the
// system has no such limit (Windows).
bool ForbidNewHandles();

}  // namespace platform::testing
