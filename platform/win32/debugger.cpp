#include "platform/common/debugger.h"

#include "platform/text.h"

#include <windows.h>

namespace platform {

void WriteToDebugger(std::string_view text)
{
    OutputDebugStringW(WideFromUtf8(text).c_str());
}

}  // namespace platform
