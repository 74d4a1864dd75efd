#include "vexa/xml/CTextConverter.h"

#include "platform/codepage.h"
#include "platform/text.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/WideUnits.h"

#include <cstdint>
#include <cstring>
#include <utility>

namespace {

// Lead byte -> number of continuation bytes, or -1 when it starts no sequence.
int ContinuationCount(unsigned char lead)
{
    if (!(lead & 0x20))
        return 1;
    if (!(lead & 0x10))
        return 2;
    if (!(lead & 0x08))
        return 3;
    return -1;
}

void AppendUtf8(std::string& out, std::uint32_t v)
{
    if (v < 0x80) {
        out += static_cast<char>(v);
    } else if (v < 0x800) {
        out += static_cast<char>(0xC0 | ((v >> 6) & 0x1F));
        out += static_cast<char>(0x80 | (v & 0x3F));
    } else if (v <= 0xFFFF) {
        out += static_cast<char>(0xE0 | ((v >> 12) & 0x0F));
        out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (v & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | ((v >> 18) & 0x07));
        out += static_cast<char>(0x80 | ((v >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((v >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (v & 0x3F));
    }
}

// Invalid sequences become '?'; the byte that broke a sequence is read again as a lead.
std::u32string DecodeUtf8(std::string_view bytes)
{
    static constexpr unsigned char kPayload[] = {0, 0x1F, 0x0F, 0x07};
    std::u32string out;
    std::size_t i = 0;
    while (i < bytes.size()) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80) {
            out += lead;
            continue;
        }
        const int count = ContinuationCount(lead);
        if (count < 0) {
            out += U'?';
            continue;
        }
        char32_t value = lead & kPayload[count];
        int taken = 0;
        while (taken < count && i < bytes.size() && (static_cast<unsigned char>(bytes[i]) & 0x80)) {
            value = (value << 6) | (static_cast<unsigned char>(bytes[i++]) & 0x3F);
            ++taken;
        }
        out += taken == count ? value : U'?';
    }
    return out;
}

std::u32string Utf32FromUtf16(std::wstring_view units)
{
    std::u32string out;
    out.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto unit = static_cast<std::uint32_t>(units[i]);
        if (unit < 0xD800 || unit > 0xDFFF) {
            out += static_cast<char32_t>(unit);
        } else if (i + 1 < units.size() && units[i + 1] != 0) {
            const auto second = static_cast<std::uint32_t>(units[++i]);
            out += static_cast<char32_t>((((unit << 10) & 0xFFFFF) | (second & 0x3FF)) + 0x10000);
        } else {
            out += U'?';
        }
    }
    return out;
}

bool WideFromCodePage(int codePage, std::string_view bytes, std::wstring& out)
{
    if (codePage == CP_ANSI) {
        out = platform::WideFromAnsi(bytes);
        return true;
    }
    if (codePage == CP_UTF8) {
        out = platform::WideFromUtf8(bytes);
        return true;
    }
    return platform::CodePageToWide(static_cast<unsigned>(codePage), bytes, out);
}

// Code pages whose converter cannot say whether it used a default character: a loss
// there goes unreported, as it always has.
bool ReportsLoss(int codePage)
{
    switch (codePage) {
    case 50220: case 50221: case 50222: case 50225: case 50227: case 50229:
    case 52936: case 54936: case 65000: case 65001:
        return false;
    default:
        return codePage < 57002 || codePage > 57011;
    }
}

bool CodePageFromWide(int codePage, std::wstring_view text, std::string& out, bool& lossy)
{
    if (codePage == CP_ANSI) {
        out = platform::AnsiFromWide(text, &lossy);
        return true;
    }
    if (codePage == CP_UTF8) {
        out = platform::Utf8FromWide(text);
        return true;
    }
    return platform::WideToCodePage(static_cast<unsigned>(codePage), text, out,
                                    ReportsLoss(codePage) ? &lossy : nullptr);
}

template <typename Unit>
std::string RawBytes(const Unit* units, std::size_t count)
{
    return std::string(reinterpret_cast<const char*>(units), count * sizeof(Unit));
}

std::size_t UnitSize(int codePage)
{
    if (codePage == CP_UTF32)
        return sizeof(char32_t);
    return 1;
}

int CodePageOf(std::wstring_view name)
{
    const int codePage = LookupCodePage(name);
    return codePage == CP_UNKNOWN ? CP_ANSI : codePage;
}

}  // namespace

CTextConverter::CTextConverter(std::wstring_view sourceEncoding, const void* source, std::size_t sourceLength)
    : m_sourceEncoding(sourceEncoding), m_source(source), m_sourceLength(sourceLength)
{
}

std::size_t CTextConverter::Convert(void* destination, std::optional<std::wstring_view> targetEncoding)
{
    if (targetEncoding)
        m_targetEncoding = *targetEncoding;
    const int target = CodePageOf(m_targetEncoding);
    // Measuring converts once; the copy that follows reuses the result.
    if (m_convertedFor != target)
        ConvertInto(CodePageOf(m_sourceEncoding), target);
    if (target == CP_UTF16) {
        m_destinationLength = m_wide.size();
        if (destination)
            std::memcpy(destination, m_wide.data(), m_wide.size() * sizeof(wchar_t));
    } else {
        m_destinationLength = m_converted.size() / UnitSize(target);
        if (destination)
            std::memcpy(destination, m_converted.data(), m_converted.size());
    }
    return m_destinationLength;
}

std::wstring CTextConverter::ConvertToWide()
{
    m_targetEncoding = L"UTF-16";
    if (m_convertedFor != CP_UTF16)
        ConvertInto(CodePageOf(m_sourceEncoding), CP_UTF16);
    m_convertedFor.reset();
    m_destinationLength = m_wide.size();
    return std::move(m_wide);
}

void CTextConverter::ConvertInto(int source, int target)
{
    m_converted.clear();
    m_wide.clear();
    m_lossy = false;
    m_convertedFor = target;
    if (m_sourceLength == 0)
        return;

    if (source == CP_UTF32) {
        const std::u32string_view values(static_cast<const char32_t*>(m_source), m_sourceLength);
        if (target == CP_UTF8) {
            for (char32_t v : values)
                AppendUtf8(m_converted, v);
        } else if (target == CP_UTF16) {
            m_wide.reserve(values.size());
            for (char32_t v : values)
                AppendCodePoint(m_wide, v);
        }
        return;
    }

    if (source == CP_UTF16) {
        const std::wstring_view units(static_cast<const wchar_t*>(m_source), m_sourceLength);
        if (target == CP_UTF32) {
            const std::u32string values = Utf32FromUtf16(units);
            m_converted = RawBytes(values.data(), values.size());
        } else if (target == CP_UTF16) {
            m_wide = units;
        } else if (!CodePageFromWide(target, units, m_converted, m_lossy)) {
            m_converted.clear();
        }
        return;
    }

    const std::string_view bytes(static_cast<const char*>(m_source), m_sourceLength);
    if (target == CP_UTF32) {
        if (source == CP_UTF8) {
            const std::u32string values = DecodeUtf8(bytes);
            m_converted = RawBytes(values.data(), values.size());
        }
        return;
    }
    if (!WideFromCodePage(source, bytes, m_wide))
        return;
    if (target != CP_UTF16 && !CodePageFromWide(target, m_wide, m_converted, m_lossy))
        m_converted.clear();
}

bool CheckUtf8(const char* bytes, std::size_t length, bool* cutShort)
{
    if (cutShort)
        *cutShort = false;
    std::size_t i = 0;
    while (i < length && bytes[i] != 0) {
        const auto lead = static_cast<unsigned char>(bytes[i++]);
        if (lead < 0x80)
            continue;
        const int count = ContinuationCount(lead);
        if (count < 0)
            return false;
        for (int k = 0; k < count; ++k, ++i) {
            if (i >= length) {
                if (cutShort)
                    *cutShort = true;
                return false;
            }
            if (!(static_cast<unsigned char>(bytes[i]) & 0x80))
                return false;
        }
    }
    return true;
}
