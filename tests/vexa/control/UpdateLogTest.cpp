#include "tests/support/ClientTree.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"
#include "vexa/control/UpdateLog.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_support::ClientTree;
using testing_support::DecodeUtf16Le;
using testing_support::LogMessages;
using testing_support::SplitLogMessages;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const std::string kProbe = testing_support::TestProgram("vexa-control-probe");
const std::wstring kRule = L"-----------------------------------";
const std::uint64_t kElevenMebibytes = 11534336;

void RunLog(const ClientTree& tree, std::vector<std::string> lines)
{
    lines.insert(lines.begin(), "log");
    ASSERT_EQ(tree.Run(lines), 0);
}

std::filesystem::path LogPath(const ClientTree& tree)
{
    return tree.ModuleFolder() / "log" / "update.log";
}

std::vector<std::wstring> Header(const ClientTree& tree)
{
    const std::wstring path = testing_support::UpdaterPath(std::filesystem::weakly_canonical(LogPath(tree)));
    return {kRule, L"starting vexa module", L"Log File: " + path, kRule};
}

TEST(UpdateLog, FirstRunWritesMarkHeaderAndLinesAsUtf16)
{
    ClientTree tree(kProbe);
    RunLog(tree, {"plain", "\xE6\x9B\xB4\xE6\x96\xB0 100%", "\xF0\x9F\x98\x80"});

    const std::string bytes = ReadFileBytes(LogPath(tree));
    ASSERT_GE(bytes.size(), 2u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::vector<std::wstring> expected = Header(tree);
    expected.insert(expected.end(), {L"plain", L"\x66F4\x65B0 100%", L"\U0001F600"});
    EXPECT_EQ(SplitLogMessages(DecodeUtf16Le(bytes, 2)), expected);
    // A character beyond the BMP is one surrogate pair on disk.
    EXPECT_NE(bytes.find(std::string("\x3D\xD8\x00\xDE", 4)), std::string::npos);
}

TEST(UpdateLog, SecondRunAppendsWithoutSecondMark)
{
    ClientTree tree(kProbe);
    RunLog(tree, {"one"});
    RunLog(tree, {"two"});

    const std::string bytes = ReadFileBytes(LogPath(tree));
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.find("\xFF\xFE", 2), std::string::npos);
    std::vector<std::wstring> expected = Header(tree);
    expected.push_back(L"one");
    const std::vector<std::wstring> header = Header(tree);
    expected.insert(expected.end(), header.begin(), header.end());
    expected.push_back(L"two");
    EXPECT_EQ(SplitLogMessages(DecodeUtf16Le(bytes, 2)), expected);
}

TEST(UpdateLog, LogOfElevenMebibytesStartsOverButOneByteLessIsKept)
{
    ClientTree tree(kProbe);
    std::filesystem::create_directories(LogPath(tree).parent_path());

    WriteFileBytes(LogPath(tree), "\xFF\xFE");
    std::filesystem::resize_file(LogPath(tree), kElevenMebibytes);
    RunLog(tree, {"fresh"});
    std::string bytes = ReadFileBytes(LogPath(tree));
    ASSERT_LT(bytes.size(), 4096u);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    std::vector<std::wstring> expected = Header(tree);
    expected.push_back(L"fresh");
    EXPECT_EQ(SplitLogMessages(DecodeUtf16Le(bytes, 2)), expected);

    std::filesystem::resize_file(LogPath(tree), kElevenMebibytes - 1);
    RunLog(tree, {"kept"});
    bytes = ReadFileBytes(LogPath(tree));
    ASSERT_GT(bytes.size(), kElevenMebibytes - 1);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.find("\xFF\xFE", kElevenMebibytes - 1), std::string::npos);
    expected = Header(tree);
    expected.push_back(L"kept");
    EXPECT_EQ(SplitLogMessages(DecodeUtf16Le(bytes, kElevenMebibytes - 1)), expected);
}

TEST(UpdateLog, NoLineNoFolder)
{
    ClientTree tree(kProbe);
    RunLog(tree, {});
    EXPECT_FALSE(std::filesystem::exists(tree.ModuleFolder() / "log"));
}

TEST(UpdateLog, MessageOfThousandCharactersIsDroppedAndLaterLinesAreKept)
{
    ClientTree tree(kProbe);
    const std::string longest(999, 'x');
    RunLog(tree, {longest, std::string(1000, 'y'), "after"});

    std::vector<std::wstring> expected = Header(tree);
    expected.insert(expected.end(), {std::wstring(999, L'x'), L"after"});
    EXPECT_EQ(LogMessages(LogPath(tree)), expected);
}

TEST(UpdateLog, ControlCharactersCannotStartALineOfTheirOwn)
{
    ClientTree tree(kProbe);
    RunLog(tree, {"1.0\r\nThu Jan  1 00:00:00 2026: forged", "tab\tdel\x7F", "\xE2\x80\xA8", "after"});

    std::vector<std::wstring> expected = Header(tree);
    expected.insert(expected.end(), {L"1.0\\x0D\\x0AThu Jan  1 00:00:00 2026: forged", L"tab\\x09del\\x7F",
                                     L"\\x2028", L"after"});
    EXPECT_EQ(LogMessages(LogPath(tree)), expected);
}

TEST(LogValue, LongValuesAreCutSoTheirLineIsStillWritten)
{
    EXPECT_EQ(LogValue(std::wstring(256, L'v')), std::wstring(256, L'v'));
    EXPECT_EQ(LogValue(std::wstring(5000, L'v')), std::wstring(256, L'v') + L"...");
    EXPECT_EQ(LogValue(L""), L"");
}

TEST(UpdateLog, UnopenableLogFileLeavesTheProgramRunning)
{
    ClientTree tree(kProbe);
    std::filesystem::create_directories(LogPath(tree));
    RunLog(tree, {"lost"});
    EXPECT_TRUE(std::filesystem::is_directory(LogPath(tree)));
}

}  // namespace
