#include "vexa/control/TextUtils.h"

#include "platform/text.h"

#include <cstring>

namespace {

std::wstring Trim(const std::wstring& text)
{
    const wchar_t* const blanks = L" \t\r\n\v\f";
    const auto first = text.find_first_not_of(blanks);
    if (first == std::wstring::npos)
        return std::wstring();
    return text.substr(first, text.find_last_not_of(blanks) - first + 1);
}

}  // namespace

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

void SplitString(const std::wstring& text, wchar_t separator, std::vector<std::wstring>& out)
{
    out.clear();
    size_t start = 0;
    for (;;) {
        const size_t end = text.find(separator, start);
        std::wstring piece = Trim(text.substr(start, end == std::wstring::npos ? std::wstring::npos : end - start));
        if (!piece.empty())
            out.push_back(std::move(piece));
        if (end == std::wstring::npos)
            return;
        start = end + 1;
    }
}
