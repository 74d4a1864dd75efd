#include "tests/support/ClientTree.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

namespace {

using testing_support::ClientTree;
using testing_support::ReadFileBytes;
using testing_support::WriteFileBytes;

const std::string kProbe = TEST_BIN_DIR "/vexa-control-probe";
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

// The UTF-16LE text after offset, surrogate pairs joined.
std::wstring DecodeUtf16Le(const std::string& bytes, size_t offset)
{
    std::wstring text;
    for (size_t i = offset; i + 1 < bytes.size(); i += 2) {
        const unsigned unit = static_cast<unsigned char>(bytes[i]) | static_cast<unsigned char>(bytes[i + 1]) << 8;
        if (unit >= 0xDC00 && unit < 0xE000 && !text.empty() && text.back() >= 0xD800 && text.back() < 0xDC00)
            text.back() = static_cast<wchar_t>(0x10000 + ((text.back() - 0xD800) << 10) + (unit - 0xDC00));
        else
            text += static_cast<wchar_t>(unit);
    }
    return text;
}

// The messages of the log's lines, each checked for a timestamp and CR LF.
std::vector<std::wstring> Messages(const std::wstring& text)
{
    std::vector<std::wstring> messages;
    size_t start = 0;
    while (start < text.size()) {
        const size_t end = text.find(L"\r\n", start);
        EXPECT_NE(end, std::wstring::npos) << "line without CR LF";
        if (end == std::wstring::npos)
            break;
        const std::wstring line = text.substr(start, end - start);
        const size_t colon = line.find(L": ");
        EXPECT_TRUE(colon != std::wstring::npos && colon > 0) << "line without timestamp";
        messages.push_back(colon == std::wstring::npos ? line : line.substr(colon + 2));
        start = end + 2;
    }
    return messages;
}

std::vector<std::wstring> Header(const ClientTree& tree)
{
    const std::wstring path = std::filesystem::weakly_canonical(LogPath(tree)).wstring();
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
    expected.insert(expected.end(), {L"plain", L"\x66F4\x65B0 100%", L"\x1F600"});
    EXPECT_EQ(Messages(DecodeUtf16Le(bytes, 2)), expected);
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
    EXPECT_EQ(Messages(DecodeUtf16Le(bytes, 2)), expected);
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
    EXPECT_EQ(Messages(DecodeUtf16Le(bytes, 2)), expected);

    std::filesystem::resize_file(LogPath(tree), kElevenMebibytes - 1);
    RunLog(tree, {"kept"});
    bytes = ReadFileBytes(LogPath(tree));
    ASSERT_GT(bytes.size(), kElevenMebibytes - 1);
    EXPECT_EQ(bytes.substr(0, 2), "\xFF\xFE");
    EXPECT_EQ(bytes.find("\xFF\xFE", kElevenMebibytes - 1), std::string::npos);
    expected = Header(tree);
    expected.push_back(L"kept");
    EXPECT_EQ(Messages(DecodeUtf16Le(bytes, kElevenMebibytes - 1)), expected);
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
    EXPECT_EQ(Messages(DecodeUtf16Le(ReadFileBytes(LogPath(tree)), 2)), expected);
}

TEST(UpdateLog, UnopenableLogFileLeavesTheProgramRunning)
{
    ClientTree tree(kProbe);
    std::filesystem::create_directories(LogPath(tree));
    RunLog(tree, {"lost"});
    EXPECT_TRUE(std::filesystem::is_directory(LogPath(tree)));
}

}  // namespace
