#pragma once
#include <string_view>

// Names in markup and encoding names compare with only A to Z folded.
inline wchar_t FoldAscii(wchar_t c)
{
    return c >= L'A' && c <= L'Z' ? c + (L'a' - L'A') : c;
}

inline bool EqualsIgnoringAsciiCase(std::wstring_view a, std::wstring_view b)
{
    if (a.size() != b.size())
        return false;
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (FoldAscii(a[i]) != FoldAscii(b[i]))
            return false;
    }
    return true;
}
