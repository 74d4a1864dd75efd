#include "platform/codepage.h"

#include "platform/win32/conversion.h"

#include <windows.h>

namespace platform {

bool IsCodePageAvailable(unsigned codePage)
{
    return IsValidCodePage(codePage) != FALSE;
}

bool CodePageToWide(unsigned codePage, std::string_view bytes, std::wstring& out)
{
    out.clear();
    if (!IsCodePageAvailable(codePage))
        return false;
    out = win32::ToWide(codePage, bytes);
    return true;
}

bool WideToCodePage(unsigned codePage, std::wstring_view text, std::string& out, bool* lossy)
{
    out.clear();
    if (lossy)
        *lossy = false;
    if (!IsCodePageAvailable(codePage))
        return false;
    out = win32::FromWide(codePage, text, lossy);
    return true;
}

}  // namespace platform
