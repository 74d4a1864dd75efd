#include "vexa/xml/CXmlDocument.h"

#include "platform/files.h"
#include "vexa/xml/CTextConverter.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/FindDeclaredEncoding.h"
#include "vexa/xml/WideUnits.h"
#include "vexa/xml/XmlReport.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>

namespace {

constexpr std::uint32_t kReservedFlags = 0x10 | 0x20 | 0x40;

// The text as 16-bit units in the file's byte order; the number of units.
std::size_t AppendUtf16(std::string& out, std::wstring_view text, bool bigEndian)
{
    const std::u16string units = Utf16UnitsFromWide(text);
    out += Utf16Bytes(units, bigEndian);
    return units.size();
}

// Converts the text to the encoding; the number of units produced.
std::size_t AppendConverted(std::string& out, const std::wstring& text, const std::wstring& encoding,
                            std::wstring& result)
{
    AddResult(result, L"converted_from", L"UTF-16", XRK_ENCODING | XRK_LENGTH, static_cast<long long>(text.size()));
    const int codePage = LookupCodePage(encoding);
    // A declared UTF-16 without a mark flag: the wide units still go out as 16-bit ones.
    if (codePage == CP_UTF16)
        return AppendUtf16(out, text, false);
    CTextConverter converter(L"UTF-16", text.data(), text.size());
    const std::size_t units = converter.Convert(nullptr, encoding);
    const std::size_t unitSize = codePage == CP_UTF32 ? sizeof(char32_t) : 1;
    const std::size_t before = out.size();
    out.resize(before + units * unitSize);
    converter.Convert(out.data() + before);
    if (converter.IsLossy())
        AddResult(result, L"conversion_loss", nullptr, 0);
    return units;
}

// The file's bytes and their unit count, with the report entries of the encoding step;
// false when the text converts to nothing.
bool EncodeDocument(const std::wstring& text, std::uint32_t flags, std::string& bytes, std::wstring& encoding,
                    std::size_t& units, std::wstring& report)
{
    const auto mark = std::find_if(std::begin(kByteOrderMarks), std::end(kByteOrderMarks),
                                   [flags](const ByteOrderMark& m) { return flags & m.docFlag; });
    if (mark != std::end(kByteOrderMarks)) {
        bytes = mark->bytes;
        encoding = mark->encoding;
        AddResult(report, L"bom", nullptr, 0);
    } else {
        encoding = text.empty() ? std::wstring() : FindDeclaredEncoding(text);
        if (encoding.empty())
            encoding = L"UTF-8";
    }

    units = 0;
    if (text.empty())
        return true;
    if (flags & (XDF_UTF16LE_FILE | XDF_UTF16BE_FILE)) {
        const bool bigEndian = !(flags & XDF_UTF16LE_FILE);
        units = AppendUtf16(bytes, text, bigEndian);
        if (bigEndian)
            AddResult(report, L"endian_swap", nullptr, 0);
        return true;
    }
    units = AppendConverted(bytes, text, encoding, report);
    // A code page this system cannot convert to gives nothing: that is a failed save,
    // not an empty file reported as written.
    if (units == 0)
        AddResult(report, L"conversion_loss", nullptr, 0);
    return units > 0;
}

}  // namespace

bool CXmlDocument::WriteDocumentFile(const std::wstring& path, const std::wstring& text, std::wstring& result,
                                     std::uint32_t& flags)
{
    result.clear();
    flags &= ~kReservedFlags;
    // Encoding comes first, so a text that cannot be encoded leaves an existing file as it was.
    std::string bytes;
    std::wstring encoding;
    std::size_t units = 0;
    std::wstring report;
    if (!EncodeDocument(text, flags, bytes, encoding, units, report)) {
        result = report;
        return false;
    }
    std::FILE* file = platform::OpenFileStream(path, "wb");
    if (!file) {
        AddFileError(result, errno);
        return false;
    }
    result = report;
    // Flushing here lets a full disk count as a failed write, not a failed close.
    const bool written = std::fwrite(bytes.data(), 1, bytes.size(), file) == bytes.size() && std::fflush(file) == 0;
    if (written)
        AddResult(result, L"write", encoding.c_str(), XRK_ENCODING | XRK_LENGTH, static_cast<long long>(units));
    else
        AddFileError(result, errno);
    if (std::fclose(file) != 0)
        AddFileError(result, errno);
    return written;
}
