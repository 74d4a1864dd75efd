#include "platform/win32/conversion.h"

#include "platform/common/utf8_lead.h"

#include <windows.h>

#include <algorithm>
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

// The bytes of the character at the start of bytes: for UTF-8 what its lead byte
// opens, for a double-byte code page a lead byte and the byte after it, else one byte.
std::size_t CharacterLength(unsigned codePage, std::string_view bytes)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    if (codePage == CP_UTF8)
        return std::min(std::max<std::size_t>(Utf8SequenceLength(lead), 1), bytes.size());
    return IsDBCSLeadByteEx(codePage, lead) && bytes.size() > 1 ? 2 : 1;
}

// Where the whole text has an undecodable part, each character is decoded alone, so
// each undecodable byte becomes one U+FFFD, the same on every system.
std::wstring DecodeEachCharacter(unsigned codePage, std::string_view bytes)
{
    std::wstring out;
    while (!bytes.empty()) {
        std::size_t length = CharacterLength(codePage, bytes);
        // A bad sequence costs its first byte only; decoding goes on at the next one.
        if (!Decode(codePage, bytes.substr(0, length), out)) {
            out += kReplacement;
            length = 1;
        }
        bytes.remove_prefix(length);
    }
    return out;
}

// Where the first valid surrogate pair starts, text.size() when there is none.
std::size_t FindSurrogatePair(std::wstring_view text)
{
    for (std::size_t i = 0; i + 1 < text.size(); ++i)
        if (IS_HIGH_SURROGATE(text[i]) && IS_LOW_SURROGATE(text[i + 1]))
            return i;
    return text.size();
}

// Never a "best fit" look-alike ('e' for 'é'): what the code page lacks becomes '?' and
// counts as lost. UTF-8 and UTF-7 take no default character; lone surrogates become
// U+FFFD there and count as lost.
std::string Encode(unsigned codePage, std::wstring_view text, bool& lost)
{
    if (text.empty() || text.size() > INT_MAX)
        return std::string();
    const int size = static_cast<int>(text.size());
    const bool unicode = codePage == CP_UTF8 || codePage == CP_UTF7;
    const DWORD flags = unicode ? 0 : WC_NO_BEST_FIT_CHARS;
    BOOL usedDefault = FALSE;
    BOOL* defaulted = unicode ? nullptr : &usedDefault;
    const char* question = unicode ? nullptr : "?";
    const int bytes = WideCharToMultiByte(codePage, flags, text.data(), size, nullptr, 0, question, defaulted);
    std::string out(static_cast<std::size_t>(bytes), '\0');
    WideCharToMultiByte(codePage, flags, text.data(), size, out.data(), bytes, question, defaulted);
    const bool invalid = codePage == CP_UTF8 && WideCharToMultiByte(codePage, WC_ERR_INVALID_CHARS, text.data(), size, nullptr, 0,
                                                        nullptr, nullptr) == 0;
    lost = lost || usedDefault || invalid;
    return out;
}

}  // namespace

std::wstring ToWide(unsigned codePage, std::string_view bytes)
{
    if (bytes.empty() || bytes.size() > INT_MAX)
        return std::wstring();
    std::wstring out;
    if (Decode(codePage, bytes, out))
        return out;
    return DecodeEachCharacter(codePage, bytes);
}

std::string FromWide(unsigned codePage, std::wstring_view text, bool* lossy)
{
    bool lost = false;
    std::string out;
    // A character beyond the BMP is one character: where the code page cannot hold it,
    // it becomes one '?', not one for each of its two units.
    while (!text.empty()) {
        const std::size_t pair = FindSurrogatePair(text);
        out += Encode(codePage, text.substr(0, pair), lost);
        if (pair == text.size())
            break;
        bool pairLost = false;
        const std::string encoded = Encode(codePage, text.substr(pair, 2), pairLost);
        out += pairLost ? std::string("?") : encoded;
        lost = lost || pairLost;
        text.remove_prefix(pair + 2);
    }
    if (lossy)
        *lossy = lost;
    return out;
}

}  // namespace platform::win32
