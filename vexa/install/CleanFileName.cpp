#include "vexa/install/CleanFileName.h"

#include <string_view>

#include "vexa/control/TextUtils.h"

namespace {

// The two non-characters no XML file list can carry.
bool IsNonCharacter(wchar_t c)
{
    return c == 0xFFFE || c == 0xFFFF;
}

bool IsCleanComponent(std::wstring_view component)
{
    return !component.empty() && component != L"." && component != L"..";
}

}  // namespace

bool IsCleanFileName(const std::wstring& name)
{
    if (name.empty() || name.front() != L'/')
        return false;
    for (wchar_t c : name)
        if (c == L'\\' || IsControlCharacter(c) || IsNonCharacter(c))
            return false;
    std::size_t start = 1;
    for (;;) {
        const std::size_t end = name.find(L'/', start);
        const std::size_t length = end == std::wstring::npos ? std::wstring::npos : end - start;
        if (!IsCleanComponent(std::wstring_view(name).substr(start, length)))
            return false;
        if (end == std::wstring::npos)
            return true;
        start = end + 1;
    }
}
