#include "cquill/src/sdr/SDRLog.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"

#include <gtest/gtest.h>

#include <thread>

namespace {

class DirectoryLogTest : public ::testing::Test {
protected:
    std::wstring Config(const std::string& level)
    {
        const auto path = temp_.Path() / "SDRLOG.INI";
        testing_support::WriteFileBytes(path, "[SDR]\r\nLOG_LEVEL=" + level + "\r\n");
        return testing_support::WidePath(path);
    }
    testing_support::TempDir temp_;
    quill::sdr::SDRLog log_;
};

TEST_F(DirectoryLogTest, OnlyInfoInAnyCaseTurnsTheLogOn)
{
    EXPECT_EQ(quill::sdr::ReadLevel(Config("Info")), 4);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("INFO")), 4);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("info")), 4);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("Error")), 1);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("Debug")), 2);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("Waring")), 3);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("Warning")), 0);
    EXPECT_EQ(quill::sdr::ReadLevel(Config("NONE")), 0);
    EXPECT_EQ(quill::sdr::ReadLevel(testing_support::WidePath(temp_.Path() / "absent.ini")), 0);
}

TEST_F(DirectoryLogTest, WritesRawBytesOnlyAtInfo)
{
    const auto path = temp_.Path() / "SDR.log";
    log_.Configure(testing_support::WidePath(path), 3);
    log_.Write("hidden");
    EXPECT_FALSE(std::filesystem::exists(path));

    log_.Configure(testing_support::WidePath(path), 4);
    log_.Write("one\n");
    log_.Write(static_cast<const char*>(nullptr));
    log_.Write(std::string("\xD6\xF7\0x", 4));
    EXPECT_EQ(testing_support::ReadFileBytes(path), std::string("one\n\xD6\xF7\0x", 8));

    std::filesystem::remove(path);
    log_.Write("again");
    EXPECT_EQ(testing_support::ReadFileBytes(path), "again");
}

TEST_F(DirectoryLogTest, AMissingFolderLosesTheWriteQuietly)
{
    const auto path = temp_.Path() / "log" / "SDR.log";
    log_.Configure(testing_support::WidePath(path), 4);
    log_.Write("lost");
    EXPECT_FALSE(std::filesystem::exists(temp_.Path() / "log"));
    EXPECT_FALSE(quill::sdr::AppendToFile(testing_support::WidePath(path), "x", 1));
}

TEST_F(DirectoryLogTest, ConcurrentRecordsStayWhole)
{
    const auto path = temp_.Path() / "SDR.log";
    log_.Configure(testing_support::WidePath(path), 4);
    const std::string records[2] = {std::string(5000, 'a') + "\n", std::string(5000, 'b') + "\n"};
    std::vector<std::thread> writers;
    for (int t = 0; t < 4; ++t) {
        writers.emplace_back([&, t] {
            for (int i = 0; i < 50; ++i)
                log_.Write(records[t % 2]);
        });
    }
    for (auto& writer : writers)
        writer.join();
    const std::string text = testing_support::ReadFileBytes(path);
    ASSERT_EQ(text.size(), 200 * records[0].size());
    for (std::size_t at = 0; at < text.size(); at += records[0].size())
        EXPECT_TRUE(text.compare(at, records[0].size(), records[0]) == 0 ||
                    text.compare(at, records[1].size(), records[1]) == 0)
            << "torn record at " << at;
}

TEST(ModuleDirectory, IsTheExecutablesFolderWithItsSlash)
{
    const std::wstring folder = quill::sdr::GetModuleDirectory();
    ASSERT_FALSE(folder.empty());
    EXPECT_EQ(folder.back(), L'/');
    const auto program = std::filesystem::path(testing_support::TestProgram("cquill_sdr_tests")).filename();
    EXPECT_TRUE(std::filesystem::exists(std::filesystem::path(folder) / program));
}

}  // namespace
