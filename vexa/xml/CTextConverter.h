#pragma once
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>

// Code pages with a meaning of their own.
constexpr int CP_ANSI = 0;
constexpr int CP_UNKNOWN = -1;
constexpr int CP_UTF16 = 1200;
constexpr int CP_UTF8 = 65001;
constexpr int CP_UTF32 = 65005;  // 32-bit units in machine order; ours, not a numbered code page

// Moves text between two named encodings. Units are bytes, wchar_t for "UTF-16" (the
// in-memory form) and 32-bit values for "UTF-32". Measure first (no destination), then
// convert into a buffer of the measured size.
class CTextConverter {
public:
    CTextConverter(std::wstring_view sourceEncoding, const void* source, std::size_t sourceLength);

    // Units produced, or needed when destination is null. A target given here replaces
    // the stored one.
    std::size_t Convert(void* destination = nullptr, std::optional<std::wstring_view> targetEncoding = {});
    // Conversion to the in-memory form in one call, handing over the result uncopied.
    std::wstring ConvertToWide();
    std::size_t GetDestinationLength() const { return m_destinationLength; }
    // A character the target could not hold was replaced.
    bool IsLossy() const { return m_lossy; }

private:
    void ConvertInto(int sourceCodePage, int targetCodePage);

    std::wstring m_targetEncoding;
    std::wstring m_sourceEncoding;
    const void* m_source;
    std::size_t m_sourceLength;
    std::size_t m_destinationLength = 0;
    bool m_lossy = false;
    // What was produced, kept between measuring and copying: wide units for the
    // in-memory form, raw bytes of the units otherwise.
    std::wstring m_wide;
    std::string m_converted;
    std::optional<int> m_convertedFor;
};

// Whether the bytes (up to length or a zero byte) have UTF-8 structure. cutShort tells
// whether an invalid sequence was one that the end of the bytes interrupted.
bool CheckUtf8(const char* bytes, std::size_t length, bool* cutShort = nullptr);
