#pragma once

namespace platform::testing {

// The number of the user the test runs as, as POSIX names per-user folders with it.
// POSIX only: Windows users have no such number.
unsigned OwnUserId();

}  // namespace platform::testing
