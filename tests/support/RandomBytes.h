#pragma once
#include <cstddef>
#include <string>

namespace testing_support {

// Bytes that look random but are the same for the same seed, for file contents
// and messages whose digests are compared.
std::string RandomBytes(std::size_t size, unsigned seed);

}  // namespace testing_support
