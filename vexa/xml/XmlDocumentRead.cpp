#include "vexa/xml/CXmlDocument.h"

#include "platform/files.h"
#include "platform/text.h"
#include "vexa/xml/CTextConverter.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/FindDeclaredEncoding.h"
#include "vexa/xml/XmlReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr std::size_t kDetectionBytes = 1024;
constexpr std::uint32_t kMarkFlags = XDF_UTF16LE_FILE | XDF_UTF8_BOM | XDF_UTF16BE_FILE;
constexpr std::uint32_t kReservedFlags = 0x10 | 0x20 | 0x40;
constexpr wchar_t kReplacement = 0xFFFD;

bool ReadAll(std::FILE* file, std::string& bytes)
{
    std::size_t expected = 0;
    if (std::fseek(file, 0, SEEK_END) == 0) {
        const long size = std::ftell(file);
        expected = size > 0 ? static_cast<std::size_t>(size) : 0;
        std::rewind(file);
    }
    // One read of the size the file had; blocks after it for whatever it gained since.
    bytes.resize(expected);
    bytes.resize(std::fread(bytes.data(), 1, expected, file));
    char block[4096];
    std::size_t got;
    while (!std::ferror(file) && (got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, got);
    return !std::ferror(file);
}

// A declaration cannot make 8-bit units into wide ones: a file without a mark that
// names UTF-16 or UTF-32 is read as if it named nothing.
std::wstring DeclaredEncoding(std::string_view head)
{
    std::wstring encoding = FindDeclaredEncoding(platform::WideFromUtf8(head));
    const int codePage = LookupCodePage(encoding);
    if (codePage == CP_UTF16 || codePage == CP_UTF32)
        encoding.clear();
    if (encoding.empty() && !head.empty() && head[0] == '<')
        encoding = L"UTF-8";
    return encoding;
}

// Surrogate pairs become one wide unit; a lone surrogate becomes U+FFFD.
std::wstring WideFromUtf16(const std::u16string& units)
{
    std::wstring text;
    text.reserve(units.size());
    for (std::size_t i = 0; i < units.size(); ++i) {
        const char16_t unit = units[i];
        if (unit >= 0xD800 && unit <= 0xDBFF && i + 1 < units.size() && units[i + 1] >= 0xDC00 &&
            units[i + 1] <= 0xDFFF) {
            text += static_cast<wchar_t>(0x10000 + ((unit - 0xD800) << 10) + (units[++i] - 0xDC00));
        } else if (unit >= 0xD800 && unit <= 0xDFFF) {
            text += kReplacement;
        } else {
            text += static_cast<wchar_t>(unit);
        }
    }
    return text;
}

// An odd last byte cannot form a unit and is left out.
void DecodeUtf16(std::string_view body, bool bigEndian, std::wstring& text, std::wstring& result)
{
    std::u16string units(body.size() / 2, u'\0');
    for (std::size_t i = 0; i < units.size(); ++i) {
        const auto low = static_cast<unsigned char>(body[2 * i]);
        const auto high = static_cast<unsigned char>(body[2 * i + 1]);
        units[i] = static_cast<char16_t>(low | (high << 8));
    }
    const auto kept = std::remove(units.begin(), units.end(), u'\0');
    const auto removed = static_cast<long long>(units.end() - kept);
    units.erase(kept, units.end());
    if (removed)
        AddResult(result, L"nulls_removed", nullptr, XRK_COUNT, removed);
    if (bigEndian) {
        for (char16_t& unit : units)
            unit = static_cast<char16_t>((unit >> 8) | (unit << 8));
        AddResult(result, L"endian_swap", nullptr, 0);
    }
    text = WideFromUtf16(units);
}

void DecodeBytes(std::string& bytes, std::size_t skip, std::wstring encoding, std::wstring& text,
                 std::wstring& result)
{
    const auto kept = std::remove(bytes.begin() + static_cast<std::ptrdiff_t>(skip), bytes.end(), '\0');
    const auto removed = static_cast<long long>(bytes.end() - kept);
    bytes.erase(kept, bytes.end());
    if (removed)
        AddResult(result, L"nulls_removed", nullptr, XRK_COUNT, removed);
    const char* body = bytes.data() + skip;
    const std::size_t length = bytes.size() - skip;
    if (encoding.empty()) {
        AddResult(result, L"utf8_detection", nullptr, 0);
        if (CheckUtf8(body, length)) {
            encoding = L"UTF-8";
            AddResult(result, L"read", encoding.c_str(), XRK_UPDATE | XRK_ENCODING);
        }
    }
    CTextConverter converter(encoding, body, length);
    text.resize(converter.Convert(nullptr, L"UTF-16"));
    converter.Convert(text.data());
    AddResult(result, L"converted_to", L"UTF-16", XRK_ENCODING | XRK_LENGTH, static_cast<long long>(text.size()));
}

void DecodeDocument(std::string& bytes, std::wstring& text, std::wstring& result, std::uint32_t& flags)
{
    flags &= ~kMarkFlags;
    std::wstring encoding;
    std::size_t skip = 0;
    std::size_t unitSize = 1;
    const std::string_view head = std::string_view(bytes).substr(0, kDetectionBytes);
    if (!head.empty()) {
        const auto mark = std::find_if(std::begin(kByteOrderMarks), std::end(kByteOrderMarks),
                                       [head](const ByteOrderMark& m) { return head.starts_with(m.bytes); });
        if (mark != std::end(kByteOrderMarks)) {
            flags |= mark->docFlag;
            encoding = mark->encoding;
            unitSize = mark->docFlag == XDF_UTF8_BOM ? 1 : 2;
            skip = mark->bytes.size();
            AddResult(result, L"bom", nullptr, 0);
        } else {
            encoding = DeclaredEncoding(head);
        }
    }
    const std::string_view body = std::string_view(bytes).substr(skip);
    AddResult(result, L"read", encoding.c_str(), XRK_ENCODING | XRK_LENGTH,
              static_cast<long long>(body.size() / unitSize));
    if (unitSize == 2)
        DecodeUtf16(body, flags & XDF_UTF16BE_FILE, text, result);
    else
        DecodeBytes(bytes, skip, encoding, text, result);
}

}  // namespace

bool CXmlDocument::ReadDocumentFile(const std::wstring& path, std::wstring& text, std::wstring& result,
                                    std::uint32_t& flags)
{
    result.clear();
    text.clear();
    std::FILE* file = platform::OpenFileStream(path, "rb");
    if (!file) {
        AddFileError(result, errno);
        return false;
    }
    std::string bytes;
    const bool read = ReadAll(file, bytes);
    if (read)
        DecodeDocument(bytes, text, result, flags);
    else
        AddFileError(result, errno);
    if (std::fclose(file) != 0)
        AddFileError(result, errno);
    flags &= ~kReservedFlags;
    return read;
}
