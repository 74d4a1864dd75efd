#include "platform/text.h"

#include "platform/win32/conversion.h"

#include <windows.h>

namespace platform {

std::wstring WideFromUtf8(std::string_view bytes)
{
    return win32::ToWide(CP_UTF8, bytes);
}

std::string Utf8FromWide(std::wstring_view text)
{
    return win32::FromWide(CP_UTF8, text, nullptr);
}

std::wstring WideFromAnsi(std::string_view bytes)
{
    return win32::ToWide(GetACP(), bytes);
}

std::string AnsiFromWide(std::wstring_view text, bool* lossy)
{
    return win32::FromWide(GetACP(), text, lossy);
}

std::wstring WideFromArgument(std::string_view argument)
{
    return WideFromUtf8(argument);
}

}  // namespace platform
