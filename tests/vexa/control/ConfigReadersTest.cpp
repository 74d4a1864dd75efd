#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "vexa/control/ConfigReaders.h"

#include <gtest/gtest.h>

namespace {

using testing_support::TempDir;
using testing_support::WriteFileBytes;

class ConfigReadersTest : public ::testing::Test {
protected:
    std::wstring Write(const std::string& xml)
    {
        WriteFileBytes(dir.Path() / "vexa.xml", xml);
        return Path();
    }
    std::wstring Path() const { return platform::WideFromUtf8((dir.Path() / "vexa.xml").string()); }

    TempDir dir;
};

TEST_F(ConfigReadersTest, UnreadableFilesAndMissingKeysGiveTheDefaults)
{
    for (const std::wstring& path : {Path(), Write("no markup at all"), Write("<anything><Other/></anything>"),
                                     std::wstring()}) {
        EXPECT_EQ(ReadStartExecute(path), L"mox.exe");
        EXPECT_EQ(ReadMinVersion(path), L"0.0.0");
        EXPECT_EQ(ReadSelfUrl(path), L"http://127.0.0.1:80/MOXUpdate/");
        EXPECT_EQ(ReadDownloadUrl(path), L"http://127.0.0.1:80/MOXUpdate/");
        EXPECT_EQ(ReadProductCode(path), L"MOX");
        EXPECT_EQ(ReadCurVersion(path), L"1.0.0");
        EXPECT_EQ(ReadUpdateMethod(path), METHOD_INVALID);
        EXPECT_FALSE(ConfigHasKey(path, L"CurVersion"));
    }
}

TEST_F(ConfigReadersTest, TextIsTakenAsWrittenAndUrlsAlwaysGetASlash)
{
    const std::wstring path = Write(
        "<root>\n"
        "  <CurVersion></CurVersion>\n"
        "  <SelfUrl>http://updates.example/base/</SelfUrl>\n"
        "  <DownloadUrl>http://files.example/v</DownloadUrl>\n"
        "  <ProductCode> MOX2 </ProductCode>\n"
        "  <StartExecute>游戏.exe</StartExecute>\n"
        "  <StartExecute>second.exe</StartExecute>\n"
        "</root>\n");
    EXPECT_EQ(ReadCurVersion(path), L"");
    EXPECT_TRUE(ConfigHasKey(path, L"CurVersion"));
    EXPECT_EQ(ReadSelfUrl(path), L"http://updates.example/base//");
    EXPECT_EQ(ReadDownloadUrl(path), L"http://files.example/v/");
    EXPECT_EQ(ReadProductCode(path), L" MOX2 ");
    EXPECT_EQ(ReadStartExecute(path), L"游戏.exe");
}

TEST_F(ConfigReadersTest, UpdateMethodIgnoresCaseButNotSpaces)
{
    const auto method = [&](const std::string& text) {
        return ReadUpdateMethod(Write("<v><UpdateMethod>" + text + "</UpdateMethod></v>"));
    };
    EXPECT_EQ(method("filelist"), METHOD_FILELIST);
    EXPECT_EQ(method("FileList"), METHOD_FILELIST);
    EXPECT_EQ(method("INSTALLER"), METHOD_INSTALLER);
    EXPECT_EQ(method(" filelist"), METHOD_INVALID);
    EXPECT_EQ(method(""), METHOD_INVALID);
    EXPECT_EQ(method("zip"), METHOD_INVALID);
}

}  // namespace
