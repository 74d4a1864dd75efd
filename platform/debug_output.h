#pragma once
#include <string>
#include <string_view>

namespace platform {

// The debugger output channel. Silent unless the environment variable
// VEXA_DEBUG_OUTPUT is "stderr"; a live CDebugOutputCapture takes every text instead.
void DebugOutput(std::string_view text);

// Collects the debugger output of the whole process while it lives (for tests).
class CDebugOutputCapture {
public:
    CDebugOutputCapture();
    ~CDebugOutputCapture();
    CDebugOutputCapture(const CDebugOutputCapture&) = delete;
    CDebugOutputCapture& operator=(const CDebugOutputCapture&) = delete;

    std::string Text() const;
};

}  // namespace platform
