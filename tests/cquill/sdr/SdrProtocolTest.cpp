#include "cquill/src/sdr/CTimedoutWorkerSDR.h"
#include "cquill/src/sdr/CWorkTimedoutControlAsynSDRGroup.h"
#include "cquill/src/sdr/SdrProtocol.h"
#include "cquill/src/sdr/SdrRequest.h"

#include <gtest/gtest.h>

#include <atomic>
#include <ctime>
#include <thread>

namespace {

using quill::sdr::Split;
using Tokens = std::vector<std::string>;

TEST(SdrSplit, KeepsEmptyTokensAtEveryPosition)
{
    EXPECT_EQ(Split("a||b", "|"), (Tokens{"a", "", "b"}));
    EXPECT_EQ(Split("|a", "|"), (Tokens{"", "a"}));
    EXPECT_EQ(Split("a|", "|"), (Tokens{"a", ""}));
    EXPECT_EQ(Split("", "|"), (Tokens{""}));
    EXPECT_EQ(Split("a|b", ""), (Tokens{"a|b"}));
    EXPECT_EQ(Split("host:20088", ":"), (Tokens{"host", "20088"}));
}

TEST(SdrKey, AcceptsOnlyTheSdrTokenFirstInAnyCase)
{
    for (const char* key : {"sdr", "SDR.x", "  sdr.game  ", "\tSdr.a\r\n", "\xE3\x80\x80sdr.a"})
        EXPECT_TRUE(quill::sdr::IsValidKey(key)) << key;
    for (const char* key : {"", "sdrx.a", "x.sdr", " .sdr", "sd"})
        EXPECT_FALSE(quill::sdr::IsValidKey(key)) << key;
}

TEST(SdrKey, BuildsTheUpperCaseProductPathFrame)
{
    const std::string query = quill::sdr::BuildQuery("  Sdr.Area.Zone7  ");
    EXPECT_EQ(query, "PRODUCT/AREA/ZONE7");
    EXPECT_EQ(*quill::sdr::BuildFrame(query), std::string("\x01\x00\x12PRODUCT/AREA/ZONE7", 21));
    EXPECT_EQ(quill::sdr::BuildQuery("sdr"), "PRODUCT");
    EXPECT_EQ(quill::sdr::BuildQuery("sdr..x"), "PRODUCT//X");
    EXPECT_EQ(quill::sdr::BuildQuery("sdr.\xE4\xB8\xBB.a"), "PRODUCT/\xE4\xB8\xBB/A");
}

TEST(SdrKey, RefusesAQueryLongerThanTheFrameLengthCanSay)
{
    EXPECT_EQ(quill::sdr::BuildFrame(std::string(65535, 'A'))->size(), 65538u);
    EXPECT_FALSE(quill::sdr::BuildFrame(std::string(65536, 'A')));
}

TEST(SdrAnswer, SplitsRecordsAndFieldsIntoEntries)
{
    const auto entries = quill::sdr::ParseEntries("alpha:10.0.0.1:7000:x:y|beta:10.0.0.2:7001");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].column1, "alpha");
    EXPECT_EQ(entries[0].column2, "10.0.0.1");
    EXPECT_EQ(entries[0].port, 7000);
    EXPECT_EQ(entries[0].column4, "x");
    EXPECT_EQ(entries[0].column5, "y");
    EXPECT_EQ(entries[1].column1, "beta");
    EXPECT_EQ(entries[1].port, 7001);
    EXPECT_EQ(entries[1].column4, "");
    EXPECT_EQ(entries[1].column5, "");
}

TEST(SdrAnswer, EmptyRecordsExtraFieldsAndOddPortsStillMakeEntries)
{
    const auto entries = quill::sdr::ParseEntries("a:b:1|");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].column1, "");
    EXPECT_EQ(entries[1].port, 0);

    EXPECT_EQ(quill::sdr::ParseEntries("a:b:70000")[0].port, 70000 & 0xFFFF);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b:port")[0].port, 0);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b: 81x")[0].port, 81);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b:-1")[0].port, 0xFFFF);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b:99999999999999")[0].port, 0xFFFF);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b")[0].port, 0);
    EXPECT_EQ(quill::sdr::ParseEntries("a:b:1:d:e:f:g")[0].column5, "e");
}

TEST(SdrAnswer, LengthIsKnownOnceTheHeaderIsComplete)
{
    EXPECT_FALSE(quill::sdr::AnnouncedLength(std::string("\x01\x00", 2)));
    EXPECT_EQ(quill::sdr::AnnouncedLength(std::string("\x01\x00\x00", 3)), 0u);
    EXPECT_EQ(quill::sdr::AnnouncedLength(std::string("\x07\xFF\xFE", 3)), 0xFFFEu);
}

TEST(SdrRequestText, DescribesHostPortAndKey)
{
    EXPECT_EQ(quill::sdr::DescribeRequest({"h", 20088, "k"}), "request info\nIP:h   port:20088\nkeyk");
}

TEST(SdrTimeout, SplitsTheBudgetOverThreeStages)
{
    using quill::sdr::PerRequestTimeout;
    EXPECT_EQ(PerRequestTimeout(1, 6), 1);
    EXPECT_EQ(PerRequestTimeout(2, 6), 1);
    EXPECT_EQ(PerRequestTimeout(3, 6), 1);
    EXPECT_EQ(PerRequestTimeout(9, 6), 3);
    EXPECT_EQ(PerRequestTimeout(30, 6), 10);
    EXPECT_EQ(PerRequestTimeout(0, 6), 0);
    EXPECT_EQ(PerRequestTimeout(-7, 6), -1);
}

TEST(SdrTimeout, TimeTextHasTheFixedCalendarForm)
{
    std::tm moment{};
    moment.tm_year = 2026 - 1900;
    moment.tm_mon = 0;
    moment.tm_mday = 2;
    moment.tm_hour = 3;
    moment.tm_min = 4;
    moment.tm_sec = 5;
    moment.tm_isdst = -1;
    EXPECT_EQ(quill::sdr::TimeText(std::mktime(&moment)), "Fri Jan  2 03:04:05 2026\n");
    moment.tm_mday = 12;
    moment.tm_hour = 13;
    EXPECT_EQ(quill::sdr::TimeText(std::mktime(&moment)), "Mon Jan 12 13:04:05 2026\n");
}

TEST(SdrTimeout, TimeTextStaysRightWhileTheClientUsesTheSharedLocalTimeBuffer)
{
    std::tm moment{};
    moment.tm_year = 2026 - 1900;
    moment.tm_mday = 2;
    moment.tm_hour = 3;
    moment.tm_isdst = -1;
    const std::time_t ours = std::mktime(&moment);
    const std::time_t theirs = ours + 40 * 86400 + 7 * 3600;
    std::atomic<bool> done = false;
    // A client thread of the same process, using the one buffer std::localtime returns.
    std::thread client([&] {
        while (!done) {
            [[maybe_unused]] volatile int hour = std::localtime(&theirs)->tm_hour;
        }
    });
    int wrong = 0;
    for (int i = 0; i < 100000 && wrong == 0; ++i)
        wrong += quill::sdr::TimeText(ours) != "Fri Jan  2 03:00:00 2026\n";
    done = true;
    client.join();
    EXPECT_EQ(wrong, 0);
}

}  // namespace
