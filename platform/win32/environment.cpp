#include "platform/environment.h"

#include "platform/text.h"

#include <windows.h>

namespace platform {

std::string EnvironmentVariable(const char* name)
{
    const std::wstring wideName = WideFromUtf8(name);
    std::wstring value(64, L'\0');
    for (;;) {
        const DWORD length = GetEnvironmentVariableW(wideName.c_str(), value.data(), static_cast<DWORD>(value.size()));
        if (length == 0)
            return "";
        if (length < value.size()) {
            value.resize(length);
            return Utf8FromWide(value);
        }
        value.resize(length);
    }
}

}  // namespace platform
