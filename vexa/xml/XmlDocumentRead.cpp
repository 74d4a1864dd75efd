#include "vexa/xml/CXmlDocument.h"

#include "platform/files.h"
#include "platform/text.h"
#include "vexa/xml/CTextConverter.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/FindDeclaredEncoding.h"
#include "vexa/xml/WideUnits.h"
#include "vexa/xml/XmlReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <memory>

namespace {

constexpr std::size_t kDetectionBytes = 1024;
constexpr std::uint32_t kMarkFlags = XDF_UTF16LE_FILE | XDF_UTF8_BOM | XDF_UTF16BE_FILE;
constexpr std::uint32_t kReservedFlags = 0x10 | 0x20 | 0x40;

// The file's bytes, in a buffer that is not zero-filled first: documents run to
// megabytes and every byte is overwritten by the read anyway.
struct FileBytes {
    std::unique_ptr<char[]> data;
    std::size_t size = 0;
};

bool ReadAll(std::FILE* file, std::uint64_t size, FileBytes& bytes)
{
    auto capacity = static_cast<std::size_t>(size);
    // One spare byte lets the read that meets the end do so without growing the buffer.
    bytes.data = std::make_unique_for_overwrite<char[]>(++capacity);
    constexpr std::size_t kMoreBlock = 1 << 16;
    for (;;) {
        if (bytes.size == capacity) {
            // The file grew since its size was taken, or it has none (a pipe).
            capacity = capacity * 2 + kMoreBlock;
            auto larger = std::make_unique_for_overwrite<char[]>(capacity);
            std::copy(bytes.data.get(), bytes.data.get() + bytes.size, larger.get());
            bytes.data = std::move(larger);
        }
        const std::size_t got = std::fread(bytes.data.get() + bytes.size, 1, capacity - bytes.size, file);
        bytes.size += got;
        if (got == 0)
            return !std::ferror(file);
    }
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
    text = WideFromUtf16Units<wchar_t>(units);
}

void DecodeBytes(char* body, std::size_t length, std::wstring encoding, std::wstring& text, std::wstring& result)
{
    const char* kept = std::remove(body, body + length, '\0');
    const auto removed = static_cast<long long>(body + length - kept);
    length = static_cast<std::size_t>(kept - body);
    if (removed)
        AddResult(result, L"nulls_removed", nullptr, XRK_COUNT, removed);
    if (encoding.empty()) {
        AddResult(result, L"utf8_detection", nullptr, 0);
        if (CheckUtf8(body, length)) {
            encoding = L"UTF-8";
            AddResult(result, L"read", encoding.c_str(), XRK_UPDATE | XRK_ENCODING);
        }
    }
    text = CTextConverter(encoding, body, length).ConvertToWide();
    AddResult(result, L"converted_to", L"UTF-16", XRK_ENCODING | XRK_LENGTH, static_cast<long long>(text.size()));
}

void DecodeDocument(FileBytes& bytes, std::wstring& text, std::wstring& result, std::uint32_t& flags)
{
    flags &= ~kMarkFlags;
    std::wstring encoding;
    std::size_t skip = 0;
    std::size_t unitSize = 1;
    const std::string_view all(bytes.data.get(), bytes.size);
    const std::string_view head = all.substr(0, kDetectionBytes);
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
    const std::string_view body = all.substr(skip);
    AddResult(result, L"read", encoding.c_str(), XRK_ENCODING | XRK_LENGTH,
              static_cast<long long>(body.size() / unitSize));
    if (unitSize == 2)
        DecodeUtf16(body, flags & XDF_UTF16BE_FILE, text, result);
    else
        DecodeBytes(bytes.data.get() + skip, body.size(), encoding, text, result);
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
    // The size is only where the buffer starts: a file that grows or is a pipe still
    // reads whole. It comes from the platform, in 64 bits wherever long is 32.
    std::uint64_t size = 0;
    int sizeError = 0;
    platform::FileSize(path, size, sizeError);
    FileBytes bytes;
    const bool read = ReadAll(file, size, bytes);
    if (read)
        DecodeDocument(bytes, text, result, flags);
    else
        AddFileError(result, errno);
    if (std::fclose(file) != 0)
        AddFileError(result, errno);
    flags &= ~kReservedFlags;
    return read;
}
