#pragma once
#include <string>

namespace testing_support {

// The zlib stream (default level) of the bytes, as the codec's compress writes it.
std::string Deflated(const std::string& plain);

}  // namespace testing_support
