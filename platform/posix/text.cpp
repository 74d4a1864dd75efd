#include "platform/text.h"

#include "platform/common/utf8_lead.h"
#include "platform/posix/iconv_text.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <langinfo.h>
#include <sys/mman.h>

namespace platform {
namespace {

constexpr char32_t kReplacement = 0xFFFD;

bool IsScalarValue(char32_t value)
{
    return value < 0xD800 || (value > 0xDFFF && value <= 0x10FFFF);
}

constexpr char32_t kSmallestOfLength[] = {0, 0, 0x80, 0x800, 0x10000};

// Decodes the sequence at the start of bytes; sets length to the bytes it covers
// (1 for an invalid sequence, which decodes to the replacement character).
char32_t DecodeOne(std::string_view bytes, size_t& length)
{
    const auto lead = static_cast<unsigned char>(bytes[0]);
    length = 1;
    const size_t needed = Utf8SequenceLength(lead);
    if (needed == 1)
        return lead;
    if (needed == 0 || bytes.size() < needed)
        return kReplacement;
    char32_t value = lead & (0xFF >> (needed + 1));
    for (size_t i = 1; i < needed; ++i) {
        const auto next = static_cast<unsigned char>(bytes[i]);
        if ((next & 0xC0) != 0x80)
            return kReplacement;
        value = (value << 6) | (next & 0x3F);
    }
    if (value < kSmallestOfLength[needed] || !IsScalarValue(value))
        return kReplacement;
    length = needed;
    return value;
}

void EncodeOne(char32_t value, std::string& out)
{
    if (!IsScalarValue(value))
        value = kReplacement;
    if (value < 0x80) {
        out.push_back(static_cast<char>(value));
    } else if (value < 0x800) {
        out.push_back(static_cast<char>(0xC0 | (value >> 6)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else if (value < 0x10000) {
        out.push_back(static_cast<char>(0xE0 | (value >> 12)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    } else {
        out.push_back(static_cast<char>(0xF0 | (value >> 18)));
        out.push_back(static_cast<char>(0x80 | ((value >> 12) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | ((value >> 6) & 0x3F)));
        out.push_back(static_cast<char>(0x80 | (value & 0x3F)));
    }
}

// Widens the run of ASCII bytes from at, eight at a time while it lasts: markup and
// file names are nearly all ASCII. Returns where the run ends.
size_t WidenAscii(std::string_view bytes, size_t at, wchar_t*& to)
{
    constexpr uint64_t kHighBits = 0x8080808080808080ull;
    uint64_t word = 0;
    for (; at + sizeof word <= bytes.size(); at += sizeof word, to += sizeof word) {
        std::memcpy(&word, bytes.data() + at, sizeof word);
        if (word & kHighBits)
            break;
        for (size_t k = 0; k < sizeof word; ++k)
            to[k] = static_cast<wchar_t>(static_cast<unsigned char>(bytes[at + k]));
    }
    for (; at < bytes.size() && static_cast<unsigned char>(bytes[at]) < 0x80; ++at)
        *to++ = static_cast<wchar_t>(bytes[at]);
    return at;
}

// A text of megabytes is written once, front to back. Asking for huge pages spares
// the kernel a fault per 4 KiB page, which cost as much as the decoding itself.
void ReserveForFilling(std::wstring& out, size_t units)
{
    constexpr uintptr_t kHugePage = uintptr_t{2} << 20;
    out.reserve(units);
    const size_t bytes = units * sizeof(wchar_t);
    if (bytes < 4 * kHugePage)
        return;
    const auto begin = reinterpret_cast<uintptr_t>(out.data());
    const uintptr_t first = (begin + kHugePage - 1) & ~(kHugePage - 1);
    const uintptr_t last = (begin + bytes) & ~(kHugePage - 1);
    if (last > first)
        madvise(reinterpret_cast<void*>(first), last - first, MADV_HUGEPAGE);
}

// The "C" locale names plain ASCII; programs here expect UTF-8 then.
bool IsUtf8OrUnset(const char* codeset)
{
    return std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "ANSI_X3.4-1968") == 0;
}

}  // namespace

std::wstring WideFromUtf8(std::string_view bytes)
{
    std::wstring out;
    ReserveForFilling(out, bytes.size());
    out.resize(bytes.size());
    wchar_t* to = out.data();
    size_t at = 0;
    while (at < bytes.size()) {
        at = WidenAscii(bytes, at, to);
        if (at == bytes.size())
            break;
        size_t length = 0;
        *to++ = static_cast<wchar_t>(DecodeOne(bytes.substr(at), length));
        at += length;
    }
    out.resize(static_cast<size_t>(to - out.data()));
    return out;
}

std::string Utf8FromWide(std::wstring_view text)
{
    std::string out;
    out.reserve(text.size());
    for (const wchar_t c : text)
        EncodeOne(static_cast<char32_t>(c), out);
    return out;
}

std::wstring WideFromAnsi(std::string_view bytes)
{
    const char* codeset = nl_langinfo(CODESET);
    if (IsUtf8OrUnset(codeset))
        return WideFromUtf8(bytes);
    std::wstring out;
    posix::IconvToWide(codeset, bytes, out);
    return out;
}

std::string AnsiFromWide(std::wstring_view text, bool* lossy)
{
    const char* codeset = nl_langinfo(CODESET);
    if (IsUtf8OrUnset(codeset)) {
        // UTF-8 holds every code point; only values that are none are replaced.
        if (lossy)
            *lossy = std::any_of(text.begin(), text.end(),
                                 [](wchar_t c) { return !IsScalarValue(static_cast<char32_t>(c)); });
        return Utf8FromWide(text);
    }
    std::string out;
    posix::IconvFromWide(codeset, text, out, lossy);
    return out;
}

std::wstring WideFromArgument(std::string_view argument)
{
    return WideFromAnsi(argument);
}

}  // namespace platform
