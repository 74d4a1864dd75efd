#include "platform/ini.h"

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <fstream>

namespace {

class Ini : public ::testing::Test {
protected:
    std::wstring Write(const std::string& bytes)
    {
        const auto path = temp_.Path() / "config.ini";
        std::ofstream(path, std::ios::binary) << bytes;
        return testing_support::WidePath(path);
    }
    testing_support::TempDir temp_;
};

TEST_F(Ini, FindsSectionAndKeyIgnoringCaseAndBlanks)
{
    const auto path = Write("; comment\r\n[Other]\r\nLOG_LEVEL=Error\r\n[ sdr ]\r\n  log_level  =  Info  \r\n");
    EXPECT_EQ(platform::ReadProfileString(path, L"SDR", L"LOG_LEVEL", L"NONE", 100), L"Info");
    EXPECT_EQ(platform::ReadProfileString(path, L"Other", L"Log_Level", L"NONE", 100), L"Error");
}

TEST_F(Ini, MissingFileSectionOrKeyGivesTheDefault)
{
    const auto path = Write("[SDR]\nOTHER=1\n[ENDPOINTS]\n1=a:1\n");
    EXPECT_EQ(platform::ReadProfileString(path, L"SDR", L"LOG_LEVEL", L"NONE", 100), L"NONE");
    EXPECT_EQ(platform::ReadProfileString(path, L"MISSING", L"1", L"dflt", 100), L"dflt");
    EXPECT_EQ(platform::ReadProfileString(path, L"SDR", L"1", L"dflt", 100), L"dflt");
    EXPECT_EQ(platform::ReadProfileString(path + L".absent", L"ENDPOINTS", L"1", L"dflt", 100), L"dflt");
}

TEST_F(Ini, CutsTheValueToTheBufferAndDropsMatchingQuotes)
{
    const auto path = Write("[S]\nlong=abcdefghij\nquoted=\"  spaced  \"\nhalf=\"open\nempty=\n");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"long", L"", 5), L"abcd");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"long", L"", 0), L"");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"absent", L"defaultvalue", 4), L"def");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"quoted", L"", 100), L"  spaced  ");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"half", L"", 100), L"\"open");
    EXPECT_EQ(platform::ReadProfileString(path, L"S", L"empty", L"x", 100), L"");
}

TEST_F(Ini, ReadsUtf16AndUtf8Files)
{
    const auto utf8 = Write("\xEF\xBB\xBF[ENDPOINTS]\n1=\xE4\xB8\xBB.example:20088\n");
    EXPECT_EQ(platform::ReadProfileString(utf8, L"ENDPOINTS", L"1", L"", 100), L"主.example:20088");
    const char utf16Bytes[] = "\xFF\xFE[\0S\0]\0\n\0k\0=\0\x3B\x4E\n\0";
    const auto utf16 = Write(std::string(utf16Bytes, sizeof utf16Bytes - 1));
    EXPECT_EQ(platform::ReadProfileString(utf16, L"s", L"K", L"", 100), L"主");
}

}  // namespace
