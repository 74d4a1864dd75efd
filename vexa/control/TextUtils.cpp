#include "vexa/control/TextUtils.h"

#include "platform/text.h"

#include <algorithm>
#include <cstring>

bool ToUtf8(const std::wstring& text, char* buffer, std::size_t bufferSize)
{
    const std::string bytes = platform::Utf8FromWide(text);
    if (bytes.size() + 1 >= bufferSize)
        return false;
    std::memcpy(buffer, bytes.c_str(), bytes.size() + 1);
    return true;
}

std::wstring ToWide(const std::string& text)
{
    return platform::WideFromAnsi(text);
}

bool IsWhiteSpace(wchar_t c)
{
    return (c >= 0x09 && c <= 0x0D) || c == 0x20 || c == 0x85 || c == 0xA0 || c == 0x1680 ||
           (c >= 0x2000 && c <= 0x200A) || c == 0x2028 || c == 0x2029 || c == 0x202F || c == 0x205F || c == 0x3000;
}

bool IsControlCharacter(wchar_t c)
{
    return c < 0x20 || (c >= 0x7F && c < 0xA0);
}

std::wstring TrimWhiteSpace(const std::wstring& text)
{
    const auto first = std::find_if_not(text.begin(), text.end(), IsWhiteSpace);
    const auto last = std::find_if_not(text.rbegin(), text.rend(), IsWhiteSpace).base();
    return first < last ? std::wstring(first, last) : std::wstring();
}

void SplitString(const std::wstring& text, wchar_t separator, std::vector<std::wstring>& out)
{
    out.clear();
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        std::wstring piece = TrimWhiteSpace(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (!piece.empty())
            out.push_back(std::move(piece));
        if (end == std::wstring::npos)
            return;
        start = end + 1;
    }
}
