#include "platform/ini.h"

#include "platform/files.h"
#include "platform/text.h"

#include <algorithm>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <optional>

namespace platform {

namespace {

// UTF-16LE with its byte order mark, UTF-8 with or without one, else the ANSI charset.
std::optional<std::wstring> ReadWholeText(const std::wstring& path)
{
    std::ifstream file(NativePath(path), std::ios::binary);
    if (!file)
        return std::nullopt;
    const std::string bytes((std::istreambuf_iterator<char>(file)), std::istreambuf_iterator<char>());
    if (bytes.size() >= 2 && bytes[0] == '\xFF' && bytes[1] == '\xFE') {
        std::wstring text;
        for (std::size_t i = 2; i + 1 < bytes.size(); i += 2)
            text += static_cast<wchar_t>(static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8);
        return text;
    }
    if (bytes.starts_with("\xEF\xBB\xBF"))
        return WideFromUtf8(std::string_view(bytes).substr(3));
    return WideFromAnsi(bytes);
}

std::wstring_view Trim(std::wstring_view text)
{
    while (!text.empty() && std::iswspace(text.front()))
        text.remove_prefix(1);
    while (!text.empty() && std::iswspace(text.back()))
        text.remove_suffix(1);
    return text;
}

bool EqualNoCase(std::wstring_view left, std::wstring_view right)
{
    return std::ranges::equal(left, right, [](wchar_t a, wchar_t b) { return std::towlower(a) == std::towlower(b); });
}

std::wstring_view Unquote(std::wstring_view value)
{
    if (value.size() >= 2 && (value.front() == L'"' || value.front() == L'\'') && value.back() == value.front())
        return value.substr(1, value.size() - 2);
    return value;
}

std::optional<std::wstring> FindValue(std::wstring_view text, std::wstring_view section, std::wstring_view key)
{
    bool inSection = false;
    while (!text.empty()) {
        const auto end = text.find_first_of(L"\r\n");
        const auto line = Trim(text.substr(0, end));
        text.remove_prefix(end == std::wstring_view::npos ? text.size() : end + 1);
        if (line.empty() || line.front() == L';')
            continue;
        if (line.front() == L'[') {
            const auto close = line.find(L']');
            inSection = close != std::wstring_view::npos && EqualNoCase(Trim(line.substr(1, close - 1)), Trim(section));
            continue;
        }
        const auto equals = line.find(L'=');
        if (inSection && equals != std::wstring_view::npos && EqualNoCase(Trim(line.substr(0, equals)), Trim(key)))
            return std::wstring(Unquote(Trim(line.substr(equals + 1))));
    }
    return std::nullopt;
}

}  // namespace

std::wstring ReadProfileString(const std::wstring& path, std::wstring_view section, std::wstring_view key,
                               std::wstring_view defaultValue, std::size_t bufferSize)
{
    std::wstring value(defaultValue);
    if (const auto text = ReadWholeText(path)) {
        if (auto found = FindValue(*text, section, key))
            value = std::move(*found);
    }
    value.resize(std::min(value.size(), bufferSize == 0 ? 0 : bufferSize - 1));
    return value;
}

}  // namespace platform
