#pragma once
#include <cstdint>
#include <string>
#include <string_view>

// Wide text is wchar_t: 32 bits on some systems, where one unit holds any code point,
// and 16 bits on others, where a code point above U+FFFF takes a surrogate pair. These
// templates take the unit type, so both widths can be exercised on either system.

constexpr char32_t kReplacementCharacter = 0xFFFD;

inline bool IsHighSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDBFF;
}

inline bool IsLowSurrogate(std::uint32_t unit)
{
    return unit >= 0xDC00 && unit <= 0xDFFF;
}

inline bool IsSurrogate(std::uint32_t unit)
{
    return unit >= 0xD800 && unit <= 0xDFFF;
}

// One unit, or a surrogate pair where units are 16 bits and the value is above U+FFFF.
template <typename Unit>
void AppendCodePoint(std::basic_string<Unit>& out, std::uint32_t value)
{
    if (sizeof(Unit) == 2 && value >= 0x10000) {
        out += static_cast<Unit>(0xD800 | (((value - 0x10000) >> 10) & 0x3FF));
        out += static_cast<Unit>(0xDC00 | (value & 0x3FF));
    } else {
        out += static_cast<Unit>(value);
    }
}

// 16-bit units read from a file as wide text: a pair becomes one unit where units are
// 32 bits and stays a pair where they are 16; a lone surrogate becomes U+FFFD.
template <typename Unit>
std::basic_string<Unit> WideFromUtf16Units(std::u16string_view units)
{
    std::basic_string<Unit> text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const std::uint32_t unit = units[i];
        if (IsHighSurrogate(unit) && i + 1 < units.size() && IsLowSurrogate(units[i + 1])) {
            AppendCodePoint(text, 0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else {
            AppendCodePoint(text, IsSurrogate(unit) ? kReplacementCharacter : unit);
        }
    }
    return text;
}

// Wide text as the 16-bit units a file holds: a unit above U+FFFF (only 32-bit units
// have one) becomes a pair, one beyond U+10FFFF becomes U+FFFD; 16-bit units, pairs
// included, go out as they are.
template <typename Unit>
std::u16string Utf16UnitsFromWide(std::basic_string_view<Unit> text)
{
    std::u16string units;
    units.reserve(text.size());
    for (const Unit c : text) {
        const auto value = static_cast<std::uint32_t>(c);
        AppendCodePoint(units, value > 0x10FFFF ? kReplacementCharacter : value);
    }
    return units;
}

// 16-bit units as bytes, low byte first unless bigEndian.
inline std::string Utf16Bytes(std::u16string_view units, bool bigEndian)
{
    std::string bytes;
    bytes.reserve(units.size() * 2);
    for (const char16_t unit : units) {
        const auto low = static_cast<char>(unit & 0xFF);
        const auto high = static_cast<char>(unit >> 8);
        bytes += bigEndian ? high : low;
        bytes += bigEndian ? low : high;
    }
    return bytes;
}
