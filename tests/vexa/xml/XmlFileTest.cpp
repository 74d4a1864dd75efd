#include "platform/codepage.h"
#include "tests/support/TempDir.h"
#include "vexa/xml/CXmlDocument.h"
#include "vexa/xml/CodePages.h"

#include <gtest/gtest.h>

#include <fstream>
#include <iterator>
#include <string>

namespace {

const std::wstring kName = L"\u4E2D\u6587 & ok";

std::wstring DataFile(const char* name)
{
    return testing_support::WidePath(std::filesystem::path(TEST_SOURCE_DIR) / "vexa/xml/data" / name);
}

std::string FileBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), {});
}

struct Loaded {
    bool wellFormed;
    std::uint32_t flags;
    std::wstring report;
    std::wstring name;
};

Loaded Load(const char* file)
{
    CXmlDocument document;
    Loaded loaded;
    loaded.wellFormed = document.LoadFile(DataFile(file));
    loaded.flags = document.GetDocFlags();
    loaded.report = document.GetResultText();
    if (document.FindChildElement(L"Name"))
        loaded.name = document.GetChildText();
    return loaded;
}

TEST(ReadDocumentFile, MarksAndDeclarationsChooseTheEncoding)
{
    struct Case {
        const char* file;
        std::uint32_t flags;
        const wchar_t* report;
    };
    const Case cases[] = {
        {"utf8_bom.xml", XDF_UTF8_BOM,
         L"<bom/><read encoding=\"UTF-8\" length=\"88\"/><converted_to encoding=\"UTF-16\" length=\"84\"/>"},
        {"utf8_nobom.xml", 0,
         L"<read encoding=\"UTF-8\" length=\"88\"/><converted_to encoding=\"UTF-16\" length=\"84\"/>"},
        {"utf16le_bom.xml", XDF_UTF16LE_FILE, L"<bom/><read encoding=\"UTF-16LE\" length=\"85\"/>"},
        {"utf16be_bom.xml", XDF_UTF16BE_FILE, L"<bom/><read encoding=\"UTF-16BE\" length=\"85\"/><endian_swap/>"},
        {"gbk_declared.xml", 0,
         L"<read encoding=\"GBK\" length=\"84\"/><converted_to encoding=\"UTF-16\" length=\"82\"/>"},
        {"utf8_undeclared_text_first.xml", 0,
         L"<read encoding=\"UTF-8\" length=\"48\"/><utf8_detection/>"
         L"<converted_to encoding=\"UTF-16\" length=\"44\"/>"},
    };
    for (const Case& c : cases) {
        const Loaded loaded = Load(c.file);
        EXPECT_TRUE(loaded.wellFormed) << c.file;
        EXPECT_EQ(loaded.flags, c.flags) << c.file;
        EXPECT_EQ(loaded.report, c.report) << c.file;
        EXPECT_EQ(loaded.name, kName) << c.file;
    }
}

TEST(ReadDocumentFile, BytesThatAreNotUtf8FallBackToTheAnsiCodePage)
{
    const Loaded loaded = Load("ansi_undeclared_text_first.xml");
    EXPECT_TRUE(loaded.wellFormed);
    EXPECT_EQ(loaded.report, L"<read encoding=\"\" length=\"35\"/><utf8_detection/>"
                             L"<converted_to encoding=\"UTF-16\" length=\"35\"/>");
}

TEST(ReadDocumentFile, OddUtf16AndStrayNullsAreHandled)
{
    CXmlDocument document;
    EXPECT_TRUE(document.LoadFile(DataFile("utf16le_bom_odd_length.xml")));
    EXPECT_EQ(document.GetText(), L"<a>\U0001F600</a>");
    EXPECT_EQ(document.GetResultText(), L"<bom/><read encoding=\"UTF-16LE\" length=\"9\"/>");

    // Without a mark a UTF-16 file reads as bytes: its nulls go and the rest is ASCII.
    EXPECT_TRUE(document.LoadFile(DataFile("utf16le_nobom_declared_utf16.xml")));
    EXPECT_EQ(document.GetResultText(),
              L"<read encoding=\"UTF-8\" length=\"100\"/><nulls_removed count=\"50\"/>"
              L"<converted_to encoding=\"UTF-16\" length=\"50\"/>");

    EXPECT_TRUE(document.LoadFile(DataFile("ascii_declared_utf16.xml")));
    EXPECT_EQ(document.GetText().substr(document.GetText().size() - 8), L"<a>x</a>");
}

TEST(ReadDocumentFile, MissingFileGivesFileError)
{
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFile(L"/nonexistent/folder/vexa.xml"));
    EXPECT_EQ(document.GetResultText(), L"<file_error msg=\"No such file or directory\" n=\"2\"/>");
}

TEST(ReadDocumentFile, AFailedLoadLeavesNothingToWalk)
{
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<Root><FileList><File/></FileList></Root>"));
    EXPECT_FALSE(document.LoadFile(L"/nonexistent/folder/filelist.xml"));
    EXPECT_FALSE(document.FindElement());
    EXPECT_FALSE(document.FindChildElement());
    EXPECT_FALSE(document.IsWellFormed());
}

TEST(ReadDocumentFile, EmptyFileReadsAsEmptyText)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "empty.xml";
    std::ofstream(path).close();
    CXmlDocument document;
    EXPECT_FALSE(document.LoadFile(testing_support::WidePath(path)));
    EXPECT_EQ(document.GetText(), L"");
    EXPECT_EQ(document.GetResultText(), L"<read encoding=\"UTF-8\" length=\"0\"/><utf8_detection/>"
                                        L"<converted_to encoding=\"UTF-16\" length=\"0\"/>");
}

TEST(WriteDocumentFile, DeclaredUtf8WithoutMark)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "out.xml";
    CXmlDocument document;
    ASSERT_TRUE(document.SetText(L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<a>\u4E2D</a>\r\n"));
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path), "<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<a>\xE4\xB8\xAD</a>\r\n");
    EXPECT_EQ(document.GetResultText(),
              L"<converted_from encoding=\"UTF-16\" length=\"51\"/><write encoding=\"UTF-8\" length=\"53\"/>");
}

TEST(WriteDocumentFile, MarksAndLossyConversions)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "out.xml";
    CXmlDocument document;
    document.SetText(L"<a>\u4E2D\U0001F600</a>");

    document.SetDocFlags(XDF_UTF8_BOM);
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path), "\xEF\xBB\xBF<a>\xE4\xB8\xAD\xF0\x9F\x98\x80</a>");

    document.SetDocFlags(XDF_UTF16LE_FILE);
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path), std::string("\xFF\xFE<\0a\0>\0\x2D\x4E\x3D\xD8\x00\xDE<\0/\0a\0>\0", 22));
    EXPECT_EQ(document.GetResultText(), L"<bom/><write encoding=\"UTF-16LE\" length=\"10\"/>");

    document.SetDocFlags(XDF_UTF16BE_FILE);
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path).substr(0, 6), std::string("\xFE\xFF\0<\0a", 6));
    EXPECT_EQ(document.GetResultText(), L"<bom/><endian_swap/><write encoding=\"UTF-16BE\" length=\"10\"/>");

    document.SetDocFlags(0);
    document.SetText(L"<?xml version=\"1.0\" encoding=\"us-ascii\"?><a>\u4E2D</a>");
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path), "<?xml version=\"1.0\" encoding=\"us-ascii\"?><a>?</a>");
    EXPECT_NE(document.GetResultText().find(L"<conversion_loss/><write encoding=\"us-ascii\""), std::wstring::npos);
}

TEST(WriteDocumentFile, RoundTripsThroughEveryFileForm)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "out.xml";
    const std::wstring text = L"<?xml version=\"1.0\" encoding=\"GBK\"?>\r\n<r>\u4E2D &amp; \u00E9</r>";
    for (std::uint32_t flags : {0u, std::uint32_t(XDF_UTF8_BOM), std::uint32_t(XDF_UTF16LE_FILE),
                                std::uint32_t(XDF_UTF16BE_FILE)}) {
        CXmlDocument written;
        written.SetText(text);
        written.SetDocFlags(flags);
        ASSERT_TRUE(written.SaveFile(testing_support::WidePath(path)));
        CXmlDocument read;
        ASSERT_TRUE(read.LoadFile(testing_support::WidePath(path))) << flags;
        EXPECT_EQ(read.GetText(), text) << flags;
        EXPECT_EQ(read.GetDocFlags(), flags);
    }
}

TEST(WriteDocumentFile, DeclaredEncodingsWithoutAByteConverter)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "out.xml";
    CXmlDocument document;
    document.SetText(L"<?xml version=\"1.0\" encoding=\"UTF-16\"?><a/>");
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(FileBytes(path).substr(0, 6), std::string("<\0?\0x\0", 6));
    EXPECT_EQ(FileBytes(path).size(), 2 * document.GetText().size());

    // Which named encodings have no converter is the system's matter: Linux has no Mac
    // Thai, wine no ISCII (names of the same length, so the report is the same).
    std::wstring unconvertible;
    for (const wchar_t* name : {L"x-mac-thai", L"x-iscii-de"})
        if (!platform::IsCodePageAvailable(static_cast<unsigned>(LookupCodePage(name))))
            unconvertible = name;
    ASSERT_FALSE(unconvertible.empty());
    const std::string saved = FileBytes(path);
    document.SetText(L"<?xml version=\"1.0\" encoding=\"" + unconvertible + L"\"?><a/>");
    EXPECT_FALSE(document.SaveFile(testing_support::WidePath(path)));
    EXPECT_EQ(document.GetResultText(), L"<converted_from encoding=\"UTF-16\" length=\"47\"/><conversion_loss/>");
    EXPECT_EQ(FileBytes(path), saved) << "the file saved before is left as it was";
    EXPECT_FALSE(document.SaveFile(testing_support::WidePath(dir.Path() / "new.xml")));
    EXPECT_FALSE(std::filesystem::exists(dir.Path() / "new.xml"));
}

TEST(WriteDocumentFile, EmptyTextAndUnwritablePath)
{
    testing_support::TempDir dir;
    CXmlDocument document;
    ASSERT_TRUE(document.SaveFile(testing_support::WidePath(dir.Path() / "empty.xml")));
    EXPECT_EQ(document.GetResultText(), L"<write encoding=\"UTF-8\" length=\"0\"/>");
    EXPECT_EQ(FileBytes(dir.Path() / "empty.xml"), "");

    EXPECT_FALSE(document.SaveFile(testing_support::WidePath(dir.Path() / "missing" / "x.xml")));
    EXPECT_EQ(document.GetResultText(), L"<file_error msg=\"No such file or directory\" n=\"2\"/>");
}

TEST(WriteDocumentFile, FullDiskIsAFailedWrite)
{
    std::uint32_t flags = 0;
    std::wstring report;
    EXPECT_FALSE(CXmlDocument::WriteDocumentFile(L"/dev/full", L"<a/>", report, flags));
    EXPECT_NE(report.find(L"<file_error msg=\""), std::wstring::npos);
    EXPECT_EQ(report.find(L"<write"), std::wstring::npos);
}

}  // namespace
