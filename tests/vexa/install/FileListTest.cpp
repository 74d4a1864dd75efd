#include "vexa/install/FileList.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cwctype>
#include <fstream>
#include <iterator>
#include <string>

#include "platform/text.h"
#include "tests/support/TempDir.h"

namespace {

const char kDeclaration[] = "<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n";

std::string ReadBytes(const std::filesystem::path& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

void WriteBytes(const std::filesystem::path& path, const std::string& bytes)
{
    std::ofstream(path, std::ios::binary) << bytes;
}

CFileList ListOf(std::initializer_list<CFileListInfo> entries)
{
    CFileList list;
    for (const CFileListInfo& entry : entries)
        list.Add(entry);
    return list;
}

CFileList ReadBack(const std::filesystem::path& path)
{
    CFileList list;
    list.Add(CFileListInfo(L"/stale", L"", 1));
    ReadFileList(testing_support::WidePath(path), list);
    return list;
}

std::string FileElement(const std::string& name, const std::string& md5, const std::string& size)
{
    return "<File>\r\n<FileName>" + name + "</FileName>\r\n<Md5>" + md5 + "</Md5>\r\n<Size>" + size +
           "</Size>\r\n</File>\r\n";
}

void ExpectSameEntries(const CFileList& actual, const CFileList& expected)
{
    ASSERT_EQ(actual.GetCount(), expected.GetCount());
    for (std::size_t i = 0; i < actual.GetCount(); ++i) {
        EXPECT_EQ(actual[i].GetFileName(), expected[i].GetFileName());
        EXPECT_EQ(actual[i].GetMd5(), expected[i].GetMd5());
        EXPECT_EQ(actual[i].GetSize(), expected[i].GetSize());
    }
}

}  // namespace

TEST(FileListLookup, IgnoresCaseAndTheFirstOfEqualNamesWins)
{
    const CFileList list = ListOf({CFileListInfo(L"/Data/Map.pak", L"aa", 1), CFileListInfo(L"/data/MAP.PAK", L"bb", 2),
                                   CFileListInfo(L"/vexa/vexa.exe", L"cc", 3)});
    CFileListInfo found;
    ASSERT_TRUE(FindFileListEntry(list, L"/DATA/map.pak", found));
    EXPECT_EQ(found.GetFileName(), L"/Data/Map.pak");
    EXPECT_EQ(found.GetMd5(), L"aa");
    EXPECT_EQ(found.GetSize(), 1);
    EXPECT_FALSE(FindFileListEntry(list, L"/data/map", found));
    EXPECT_FALSE(FindFileListEntry(list, L"/data/map.pak ", found));
    EXPECT_EQ(found.GetFileName(), L"/Data/Map.pak") << "a failed lookup leaves out untouched";
}

TEST(FileListLookup, AgreesWithAFrontToBackSearchAcrossTableGrowth)
{
    // Many names, a third of them repeated later in another case, so the index
    // grows several times while holding duplicates it must not prefer.
    CFileList list;
    for (int i = 0; i < 2000; ++i) {
        const int id = i % 3 == 2 ? i / 2 : i;
        std::wstring name = L"/Data/File" + std::to_wstring(id) + L".pak";
        if (i % 3 == 2)
            for (wchar_t& c : name)
                c = static_cast<wchar_t>(std::towupper(c));
        list.Add(CFileListInfo(name, std::to_wstring(i), i));
    }
    for (int id = 0; id < 2100; ++id) {
        const std::wstring name = L"/data/file" + std::to_wstring(id) + L".PAK";
        const CFileListInfo* expected = nullptr;
        for (const CFileListInfo& entry : list)
            if (!expected && EqualIgnoringCase(entry.GetFileName(), name))
                expected = &entry;
        ASSERT_EQ(list.Find(name), expected) << id;
    }
}

TEST(FileListLookup, ClearForgetsEveryNameAndAddsAfterwardsAreFound)
{
    CFileList list = ListOf({CFileListInfo(L"/a", L"1", 1)});
    list.Clear();
    EXPECT_EQ(list.Find(L"/a"), nullptr);
    list.Add(CFileListInfo(L"/b", L"2", 2));
    list.Add(CFileListInfo(L"/A", L"3", 3));
    ASSERT_NE(list.Find(L"/a"), nullptr);
    EXPECT_EQ(list.Find(L"/a")->GetMd5(), L"3");
}

TEST(FileListLookup, EqualIgnoringCaseComparesWholeStrings)
{
    EXPECT_TRUE(EqualIgnoringCase(L"0CC175B9c0f1", L"0cc175b9C0F1"));
    EXPECT_FALSE(EqualIgnoringCase(L"abc", L"abcd"));
    EXPECT_FALSE(EqualIgnoringCase(L"abc", L"abd"));
}

TEST(FileListFormat, TwoEntriesAreWrittenByteForByteAndReadBack)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    const CFileList list = ListOf({CFileListInfo(L"/vexa/vexa.exe", L"0cc175b9c0f1b6a831c399e269772661", 1024),
                                   CFileListInfo(L"/data/a&b <x>.pak", L"d41d8cd98f00b204e9800998ecf8427e", -5)});
    ASSERT_TRUE(WriteFileList(list, testing_support::WidePath(path)));

    EXPECT_EQ(ReadBytes(path), kDeclaration + std::string("<Root>\r\n<FileList>\r\n") +
                                   FileElement("/vexa/vexa.exe", "0cc175b9c0f1b6a831c399e269772661", "1024") +
                                   FileElement("/data/a&amp;b &lt;x&gt;.pak", "d41d8cd98f00b204e9800998ecf8427e", "-5") +
                                   "</FileList>\r\n</Root>\r\n");
    ExpectSameEntries(ReadBack(path), list);
}

TEST(FileListFormat, SizesOfTwoGibibytesAndMoreAreWrittenWhole)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    const std::int64_t big = (std::int64_t{5} << 30) + 7;
    ASSERT_TRUE(WriteFileList(ListOf({CFileListInfo(L"/big.pak", L"m", big)}), testing_support::WidePath(path)));
    EXPECT_NE(ReadBytes(path).find("<Size>5368709127</Size>"), std::string::npos);
    ExpectSameEntries(ReadBack(path), ListOf({CFileListInfo(L"/big.pak", L"m", big)}));
}

TEST(FileListFormat, TheEmptyListHasAnEmptyFileListElement)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    ASSERT_TRUE(WriteFileList(CFileList(), testing_support::WidePath(path)));
    EXPECT_EQ(ReadBytes(path), kDeclaration + std::string("<Root>\r\n<FileList/>\r\n</Root>\r\n"));
    EXPECT_TRUE(ReadBack(path).IsEmpty());
}

TEST(FileListFormat, NamesOutsideAsciiTravelAsUtf8)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    const CFileList list = ListOf({CFileListInfo(L"/\u5730\u56fe/\u00e9t\u00e9.dat", L"ab", 7)});
    ASSERT_TRUE(WriteFileList(list, testing_support::WidePath(path)));
    EXPECT_NE(ReadBytes(path).find("/\xe5\x9c\xb0\xe5\x9b\xbe/\xc3\xa9t\xc3\xa9.dat"), std::string::npos);
    ExpectSameEntries(ReadBack(path), list);
}

TEST(FileListWrite, ReplacesTheOldListWholeAndLeavesNoTemporaryFile)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    WriteBytes(path, "old list that is longer than the new one, much longer indeed........................");
    ASSERT_TRUE(WriteFileList(ListOf({CFileListInfo(L"/a", L"1", 1)}), testing_support::WidePath(path)));
    ExpectSameEntries(ReadBack(path), ListOf({CFileListInfo(L"/a", L"1", 1)}));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.Path()), std::filesystem::directory_iterator()), 1);
}

TEST(FileListWrite, AFailedWriteKeepsTheOldList)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    const CFileList old = ListOf({CFileListInfo(L"/old", L"1", 1)});
    ASSERT_TRUE(WriteFileList(old, testing_support::WidePath(path)));
    // The temporary file's place is taken by a folder, so the new list cannot be saved.
    std::filesystem::create_directory(dir.Path() / ".filelist.xml.new");
    EXPECT_FALSE(WriteFileList(ListOf({CFileListInfo(L"/new", L"2", 2)}), testing_support::WidePath(path)));
    ExpectSameEntries(ReadBack(path), old);
}

TEST(FileListRead, MissingOrBrokenFilesGiveAnEmptyList)
{
    testing_support::TempDir dir;
    EXPECT_TRUE(ReadBack(dir.Path() / "missing.xml").IsEmpty());
    WriteBytes(dir.Path() / "unended.xml", std::string(kDeclaration) + "<Root>\r\n<FileList>\r\n" +
                                               FileElement("/a", "1", "1") + "</FileList>\r\n");
    EXPECT_TRUE(ReadBack(dir.Path() / "unended.xml").IsEmpty());
    WriteBytes(dir.Path() / "empty.xml", "");
    EXPECT_TRUE(ReadBack(dir.Path() / "empty.xml").IsEmpty());
}

TEST(FileListRead, AcceptsOtherRootNamesWhitespaceAndForeignElements)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    WriteBytes(path, "<List>\n  <Other/>\n  <FileList>\n    <File><Note>x</Note><FileName>/a</FileName>"
                     "<Md5>AB</Md5><Size>  +12kB</Size></File>\n    <Skip><File><FileName>/no</FileName></File></Skip>\n"
                     "    <File><FileName>/b</FileName><Md5>cd</Md5><Size>x</Size></File>\n  </FileList>\n"
                     "  <FileList><File><FileName>/second</FileName><Md5>e</Md5><Size>1</Size></File></FileList>\n"
                     "</List>");
    ExpectSameEntries(ReadBack(path), ListOf({CFileListInfo(L"/a", L"AB", 12), CFileListInfo(L"/b", L"cd", 0)}));
}

TEST(FileListRead, FieldsAreSearchedInOrderAndSizesReadAsDecimalClampedTo64Bits)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "filelist.xml";
    WriteBytes(path, "<Root><FileList>"
                     "<File><FileName>/sizefirst</FileName><Size>9</Size><Md5>m</Md5></File>"
                     "<File><Md5>m</Md5><Size>9</Size></File>"
                     "<File><FileName>/big</FileName><Md5>m</Md5><Size>99999999999</Size></File>"
                     "<File><FileName>/small</FileName><Md5>m</Md5><Size>-99999999999</Size></File>"
                     "<File><FileName>/huge</FileName><Md5>m</Md5><Size>99999999999999999999</Size></File>"
                     "<File><FileName>/decimal</FileName><Md5>m</Md5><Size>010</Size></File>"
                     "</FileList></Root>");
    ExpectSameEntries(ReadBack(path), ListOf({CFileListInfo(L"/sizefirst", L"m", 0), CFileListInfo(),
                                              CFileListInfo(L"/big", L"m", 99999999999),
                                              CFileListInfo(L"/small", L"m", -99999999999),
                                              CFileListInfo(L"/huge", L"m", INT64_MAX),
                                              CFileListInfo(L"/decimal", L"m", 10)}));
}
