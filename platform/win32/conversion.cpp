#include "platform/win32/conversion.h"

#include <windows.h>

#include <climits>

namespace platform::win32 {
namespace {

constexpr wchar_t kReplacement = 0xFFFD;

bool Decode(unsigned codePage, std::string_view bytes, std::wstring& out)
{
    const int size = static_cast<int>(bytes.size());
    const int units = MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, nullptr, 0);
    if (units <= 0)
        return false;
    const std::size_t at = out.size();
    out.resize(at + static_cast<std::size_t>(units));
    MultiByteToWideChar(codePage, MB_ERR_INVALID_CHARS, bytes.data(), size, out.data() + at, units);
    return true;
}

// One character of a double-byte code page at the start of bytes: its lead byte and
// the byte after it, else one byte.
std::size_t CharacterLength(unsigned codePage, std::string_view bytes)
{
    const bool lead = IsDBCSLeadByteEx(codePage, static_cast<BYTE>(bytes[0]));
    return lead && bytes.size() > 1 ? 2 : 1;
}

// Where the whole text has an undecodable part, each character is decoded alone, so
// only what is wrong becomes U+FFFD, as the converter does for UTF-8 on its own.
std::wstring DecodeEachCharacter(unsigned codePage, std::string_view bytes)
{
    std::wstring out;
    while (!bytes.empty()) {
        std::size_t length = codePage == CP_UTF8 ? 1 : CharacterLength(codePage, bytes);
        if (!Decode(codePage, bytes.substr(0, length), out))
            out += kReplacement;
        bytes.remove_prefix(length);
    }
    return out;
}

}  // namespace

std::wstring ToWide(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return std::wstring();
    std::wstring out;
    if (codePage == CP_UTF8) {
        // Without MB_ERR_INVALID_CHARS the system puts U+FFFD for each undecodable byte.
        const int size = static_cast<int>(bytes.size());
        const int units = MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, nullptr, 0);
        out.resize(static_cast<std::size_t>(units));
        MultiByteToWideChar(CP_UTF8, 0, bytes.data(), size, out.data(), units);
        return out;
    }
    if (Decode(codePage, bytes, out))
        return out;
    return DecodeEachCharacter(codePage, bytes);
}

std::string FromWide(unsigned codePage, std::wstring_view text, bool* lossy)
{
    if (lossy)
        *lossy = false;
    if (text.empty() || text.size() > INT_MAX)
        return std::string();
    const int size = static_cast<int>(text.size());
    // UTF-8 and UTF-7 take no default character: lone surrogates become U+FFFD there.
    const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = unicode ? nullptr : &usedDefault;
    const char* question = unicode ? nullptr : "?";
    const int bytes = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, question, defaulted);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), bytes, question, defaulted);
    if (lossy)
        *lossy = unicode ? WideCharToMultiByte(codePage, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0, nullptr,
                                               nullptr) == 0
                         : usedDefault != FALSE;
    return out;
}

}  // namespace platform::win32
