#pragma once
#include <cstddef>

namespace platform::testing {

// How many descriptors (POSIX) or handles (Windows) the process holds open, for tests
// that check nothing is left behind. Wine does not count handles: 0 there.
std::size_t OpenHandleCount();

}  // namespace platform::testing
