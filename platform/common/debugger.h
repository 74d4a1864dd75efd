#pragma once
#include <string_view>

namespace platform {

// Hands UTF-8 text to the system's debugger channel, where the system has one.
void WriteToDebugger(std::string_view text);

}  // namespace platform
