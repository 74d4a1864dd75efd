#pragma once
#include <cstddef>
#include <string>

namespace testing_support {

// A game pack in small: 64 KiB blocks, alternately incompressible and text-like, the
// same for the same seed.
std::string PackBytes(std::size_t size, unsigned seed);

// The pack of a next version: changedBytes spread over places scattered through it,
// and inserted new bytes in the middle (0: none), which shifts everything after.
std::string ChangedPack(const std::string& pack, int places, std::size_t changedBytes, std::size_t inserted,
                        unsigned seed);

}  // namespace testing_support
