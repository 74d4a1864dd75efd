#pragma once
#include <string>

namespace test_server {

// Writes one line to standard output, whole and flushed, whichever thread calls.
void Report(const std::string& line);

}  // namespace test_server
