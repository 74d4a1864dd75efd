#include "platform/codepage.h"
#include "platform/text.h"

#include <gtest/gtest.h>

namespace {

const std::wstring kChinese = L"\x66F4\x65B0\x63D0\x793A";  // "更新提示"
const std::string kChineseGbk = "\xB8\xFC\xD0\xC2\xCC\xE1\xCA\xBE";

TEST(CodePage, GbkRoundTripKeepsChineseTextAndReportsNoLoss)
{
    std::string bytes;
    bool lossy = true;
    ASSERT_TRUE(platform::WideToCodePage(936, kChinese + L"a1", bytes, &lossy));
    EXPECT_EQ(bytes, kChineseGbk + "a1");
    EXPECT_FALSE(lossy);

    std::wstring text;
    ASSERT_TRUE(platform::CodePageToWide(936, bytes, text));
    EXPECT_EQ(text, kChinese + L"a1");
}

TEST(CodePage, CharacterOutsideTheCodePageBecomesQuestionMarkAndSetsLoss)
{
    std::string bytes;
    bool lossy = false;
    // U+0E01 (Thai) and an astral emoji have no place in code page 936.
    ASSERT_TRUE(platform::WideToCodePage(936, L"a\x0E01" L"b\U0001F600" L"c", bytes, &lossy));
    EXPECT_EQ(bytes, "a?b?c");
    EXPECT_TRUE(lossy);

    ASSERT_TRUE(platform::WideToCodePage(20127, L"\xE9t\xE9", bytes, &lossy));
    EXPECT_EQ(bytes, "?t?");
    EXPECT_TRUE(lossy);

    // Loss is reported per call, not remembered from an earlier one.
    ASSERT_TRUE(platform::WideToCodePage(20127, L"plain", bytes, &lossy));
    EXPECT_FALSE(lossy);
}

TEST(CodePage, InvalidBytesBecomeReplacementCharacters)
{
    std::wstring text;
    // 0xFF cannot start a GBK character; a lead byte at the very end is incomplete.
    ASSERT_TRUE(platform::CodePageToWide(936, std::string("a\xFF" "b\xB8"), text));
    EXPECT_EQ(text, L"a\xFFFD" L"b\xFFFD");

    ASSERT_TRUE(platform::CodePageToWide(65001, std::string("x\xC3(y"), text));
    EXPECT_EQ(text, L"x\xFFFD(y");
}

TEST(CodePage, UnknownCodePageProducesNothing)
{
    EXPECT_FALSE(platform::IsCodePageAvailable(12345));
    std::wstring text = L"stale";
    EXPECT_FALSE(platform::CodePageToWide(12345, "abc", text));
    EXPECT_TRUE(text.empty());
    std::string bytes = "stale";
    EXPECT_FALSE(platform::WideToCodePage(12345, L"abc", bytes));
    EXPECT_TRUE(bytes.empty());
}

TEST(CodePage, CommonCodePagesAreAvailableAndDecodeTheirOwnCharacters)
{
    for (unsigned codePage : {437u, 932u, 936u, 949u, 950u, 1250u, 1252u, 1258u, 20127u, 28591u, 65001u})
        EXPECT_TRUE(platform::IsCodePageAvailable(codePage)) << codePage;

    std::wstring text;
    ASSERT_TRUE(platform::CodePageToWide(1252, "\x80\xE9", text));
    EXPECT_EQ(text, L"\x20AC\xE9");
}

TEST(CodePage, Gb18030ReachesBeyondTheBmp)
{
#ifdef _WIN32
    if (!platform::IsCodePageAvailable(54936))
        GTEST_SKIP() << "this Windows (wine) has no GB18030 converter";
#endif
    std::wstring text;
    ASSERT_TRUE(platform::CodePageToWide(54936, "\x90\x30\x81\x30", text));
    EXPECT_EQ(text, L"\U00010000");
}

TEST(CodePage, LongInputCrossesConverterBufferBoundaries)
{
    std::wstring longText;
    for (int i = 0; i < 5000; ++i)
        longText += kChinese;
    std::string bytes;
    ASSERT_TRUE(platform::WideToCodePage(936, longText, bytes));
    EXPECT_EQ(bytes.size(), longText.size() * 2);
    std::wstring back;
    ASSERT_TRUE(platform::CodePageToWide(936, bytes, back));
    EXPECT_EQ(back, longText);
}

TEST(Utf8, RoundTripsEveryPlaneAndReplacesInvalidInput)
{
    const std::wstring text = L"a\xE9\x66F4\U0001F600";
    const std::string bytes = platform::Utf8FromWide(text);
    EXPECT_EQ(bytes, "a\xC3\xA9\xE6\x9B\xB4\xF0\x9F\x98\x80");
    EXPECT_EQ(platform::WideFromUtf8(bytes), text);

    // Overlong form, encoded surrogate, truncated sequence, stray continuation byte.
    EXPECT_EQ(platform::WideFromUtf8("\xC0\xAF|\xED\xA0\x80|\xE6\x9B|\x80"),
              L"\xFFFD\xFFFD|\xFFFD\xFFFD\xFFFD|\xFFFD\xFFFD|\xFFFD");
    EXPECT_EQ(platform::Utf8FromWide(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
}

TEST(Utf8, AsciiRunsOfAnyLengthAroundOtherCharacters)
{
    for (std::size_t before = 0; before < 20; ++before) {
        for (std::size_t after = 0; after < 10; ++after) {
            const std::string bytes = std::string(before, 'a') + "\xE4\xB8\xAD" + std::string(after, 'b') + "\xFF";
            const std::wstring text = std::wstring(before, L'a') + L"\u4E2D" + std::wstring(after, L'b') + L"\uFFFD";
            EXPECT_EQ(platform::WideFromUtf8(bytes), text) << before << ' ' << after;
        }
    }
    // Long enough for the output to be laid out in huge pages.
    std::string big(20 << 20, 'x');
    big += "\xC3\xA9";
    const std::wstring wide = platform::WideFromUtf8(big);
    ASSERT_EQ(wide.size(), (std::size_t{20} << 20) + 1);
    EXPECT_EQ(wide.back(), L'\u00E9');
    EXPECT_EQ(wide.find_first_not_of(L'x'), wide.size() - 1);
}

TEST(Ansi, CLocaleIsTreatedAsUtf8)
{
#ifdef _WIN32
    GTEST_SKIP() << "the ANSI code page is the system's there, whatever the C locale";
#endif
    EXPECT_EQ(platform::WideFromAnsi("\xE6\x9B\xB4"), L"\x66F4");
    EXPECT_EQ(platform::AnsiFromWide(L"\x66F4"), "\xE6\x9B\xB4");
}

}  // namespace
