#include "platform/debug_output.h"

#include "platform/common/debugger.h"

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <mutex>

namespace platform {

namespace {

std::mutex captureLock;
bool capturing = false;
std::string captured;

bool StderrRequested()
{
    const char* value = std::getenv("VEXA_DEBUG_OUTPUT");
    return value && std::strcmp(value, "stderr") == 0;
}

}  // namespace

void DebugOutput(std::string_view text)
{
    {
        std::lock_guard lock(captureLock);
        if (capturing) {
            captured.append(text);
            return;
        }
    }
    if (StderrRequested())
        std::fwrite(text.data(), 1, text.size(), stderr);
    WriteToDebugger(text);
}

CDebugOutputCapture::CDebugOutputCapture()
{
    std::lock_guard lock(captureLock);
    capturing = true;
    captured.clear();
}

CDebugOutputCapture::~CDebugOutputCapture()
{
    std::lock_guard lock(captureLock);
    capturing = false;
    captured.clear();
}

std::string CDebugOutputCapture::Text() const
{
    std::lock_guard lock(captureLock);
    return captured;
}

}  // namespace platform
