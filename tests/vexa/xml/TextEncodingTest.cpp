#include "platform/codepage.h"
#include "vexa/xml/CTextConverter.h"
#include "vexa/xml/CodePages.h"
#include "vexa/xml/FindDeclaredEncoding.h"
#include "vexa/xml/WideUnits.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <string>
#include <vector>

namespace {

std::string ToBytes(std::wstring_view text, std::wstring_view target, bool* lossy = nullptr)
{
    CTextConverter converter(L"UTF-16", text.data(), text.size());
    std::string out(converter.Convert(nullptr, target), '\0');
    EXPECT_EQ(converter.Convert(out.data()), out.size());
    if (lossy)
        *lossy = converter.IsLossy();
    return out;
}

std::wstring FromBytes(std::string_view bytes, std::wstring_view source)
{
    CTextConverter converter(source, bytes.data(), bytes.size());
    std::wstring out(converter.Convert(nullptr, L"UTF-16"), L'\0');
    converter.Convert(out.data());
    return out;
}

std::u32string ToUtf32(std::string_view bytes)
{
    CTextConverter converter(L"UTF-8", bytes.data(), bytes.size());
    std::u32string out(converter.Convert(nullptr, L"UTF-32"), U'\0');
    converter.Convert(out.data());
    return out;
}

TEST(LookupCodePage, NamesFoldCaseAndUnknownNamesGiveMinusOne)
{
    EXPECT_EQ(LookupCodePage(L"UTF-8"), 65001);
    EXPECT_EQ(LookupCodePage(L"utf8"), 65001);
    EXPECT_EQ(LookupCodePage(L"Utf-8"), 65001);
    EXPECT_EQ(LookupCodePage(L"GB2312"), 936);
    EXPECT_EQ(LookupCodePage(L"gbk"), 936);
    EXPECT_EQ(LookupCodePage(L"cp1256 "), 1256);
    EXPECT_EQ(LookupCodePage(L"_iso-2022-jp$sio"), 50222);
    EXPECT_EQ(LookupCodePage(L"ISO_8859-1:1987"), 28591);
    EXPECT_EQ(LookupCodePage(L""), 0);
    EXPECT_EQ(LookupCodePage(L"no-such-charset"), -1);
    EXPECT_EQ(LookupCodePage(L"utf-8 "), -1);
}

TEST(LookupCodePage, OnlyUpperCaseUtf32SelectsTheMarker)
{
    EXPECT_EQ(LookupCodePage(L"UTF-32BE"), 65005);
    EXPECT_EQ(LookupCodePage(L"UTF-32"), 65005);
    EXPECT_EQ(LookupCodePage(L"utf-32"), 12000);
    EXPECT_EQ(LookupCodePage(L"utf-32be"), 12001);
    EXPECT_EQ(LookupCodePage(L"Utf-32"), 12000);
}

TEST(LookupCodePage, NamesOfAHundredCharactersAreNotLookedUp)
{
    EXPECT_EQ(LookupCodePage(std::wstring(99, L'a')), -1);
    EXPECT_EQ(LookupCodePage(std::wstring(100, L'a')), -1);
    EXPECT_EQ(LookupCodePage(L"UTF-32" + std::wstring(200, L'x')), 65005);
}

TEST(CTextConverter, WideToUtf8AndToAsciiWithLoss)
{
    bool lossy = true;
    EXPECT_EQ(ToBytes(L"A\u4E2D", L"UTF-8", &lossy), "\x41\xE4\xB8\xAD");
    EXPECT_FALSE(lossy);
    EXPECT_EQ(ToBytes(L"A\u4E2D", L"us-ascii", &lossy), "A?");
    EXPECT_TRUE(lossy);
    EXPECT_EQ(ToBytes(L"\u4E2D\u6587", L"GBK", &lossy), "\xD6\xD0\xCE\xC4");
    EXPECT_FALSE(lossy);
}

TEST(CTextConverter, Iso2022JpLossGoesUnreported)
{
    if (!platform::IsCodePageAvailable(50220))
        GTEST_SKIP() << "this system (wine) has no ISO-2022-JP converter";
    // ISO-2022-JP's converter cannot tell: a lost character goes unreported.
    bool lossy = true;
    EXPECT_EQ(ToBytes(L"\u00E9", L"iso-2022-jp", &lossy), "?");
    EXPECT_FALSE(lossy);
}

TEST(CTextConverter, TheLocalesCharsetReportsLoss)
{
    // The locale's charset is UTF-8 in the "C" locale the tests run in on Linux; on
    // Windows it is the system's ANSI code page, UTF-8 only where the system is set so
    // (1252 in a new wine prefix). U+0F00 is in no ANSI code page but UTF-8, and a lone
    // surrogate is no character at all.
    const bool utf8 = ToBytes(L"\u00E9", L"") == "\xC3\xA9";
    bool lossy = true;
    EXPECT_EQ(ToBytes(L"A\u0F00", L"", &lossy), utf8 ? "A\xE0\xBC\x80" : "A?");
    EXPECT_EQ(lossy, !utf8);
    const wchar_t loneSurrogate[] = {L'A', static_cast<wchar_t>(0xD800), 0};
    EXPECT_EQ(ToBytes(loneSurrogate, L"no-such-charset", &lossy), utf8 ? "A\xEF\xBF\xBD" : "A?");
    EXPECT_TRUE(lossy);
}

TEST(CTextConverter, MeasuringGivesTheCountThatConvertingProduces)
{
    const std::wstring text = L"caf\u00E9 \U0001F600";
    CTextConverter converter(L"UTF-16", text.data(), text.size());
    const std::size_t needed = converter.Convert(nullptr, L"UTF-8");
    EXPECT_EQ(needed, 10u);
    EXPECT_EQ(converter.GetDestinationLength(), needed);
    std::string out(needed, '\0');
    EXPECT_EQ(converter.Convert(out.data()), needed);
    EXPECT_EQ(out, "caf\xC3\xA9 \xF0\x9F\x98\x80");
}

TEST(CTextConverter, NumberedCodePagesAndUnknownNamesToWide)
{
    EXPECT_EQ(FromBytes("\xD6\xD0\xCE\xC4", L"gb2312"), L"\u4E2D\u6587");
    EXPECT_EQ(FromBytes("\xE9", L"latin1"), L"\u00E9");
    EXPECT_EQ(FromBytes("plain", L"bogus-name"), L"plain");
    EXPECT_EQ(FromBytes("", L"UTF-8"), L"");
}

TEST(CTextConverter, Utf8ToUtf32MarksBrokenSequencesButKeepsTheBreakingByte)
{
    EXPECT_EQ(ToUtf32("A\xE4\xB8\xAD"), U"A\u4E2D");
    EXPECT_EQ(ToUtf32("\xF0\x9F\x98\x80"), U"\U0001F600");
    EXPECT_EQ(ToUtf32("\xE4\xB8" "A"), U"?A");
    EXPECT_EQ(ToUtf32("\xF8\x80"), U"??");
    EXPECT_EQ(ToUtf32("\xE4\xB8"), U"?");
}

TEST(CTextConverter, Utf32ToUtf8AndBack)
{
    const std::vector<std::uint32_t> values = {0x41, 0x7FF, 0xFFFF, 0x10000, 0x10FFFF};
    CTextConverter toUtf8(L"UTF-32", values.data(), values.size());
    std::string bytes(toUtf8.Convert(nullptr, L"UTF-8"), '\0');
    toUtf8.Convert(bytes.data());
    EXPECT_EQ(bytes, "A\xDF\xBF\xEF\xBF\xBF\xF0\x90\x80\x80\xF4\x8F\xBF\xBF");

    CTextConverter toWide(L"UTF-32", values.data(), values.size());
    std::wstring wide(toWide.Convert(nullptr, L"UTF-16"), L'\0');
    toWide.Convert(wide.data());
    EXPECT_EQ(wide, L"A\u07FF\uFFFF\U00010000\U0010FFFF");

    CTextConverter unsupported(L"UTF-32", values.data(), values.size());
    EXPECT_EQ(unsupported.Convert(nullptr, L"GBK"), 0u);
}

TEST(CTextConverter, WideSurrogatesCombineOrBecomeQuestionMarks)
{
    const std::wstring units = {wchar_t(0xD83D), wchar_t(0xDE00), L'x', wchar_t(0xD800)};
    CTextConverter converter(L"UTF-16", units.data(), units.size());
    std::u32string values(converter.Convert(nullptr, L"UTF-32"), U'\0');
    converter.Convert(values.data());
    EXPECT_EQ(values, U"\U0001F600x?");
}

// Both widths of wide units, whichever the system has: 16-bit units carry pairs.
TEST(WideUnits, SurrogatePairsAtBothWidths)
{
    std::u16string narrow;
    std::u32string wide;
    for (const std::uint32_t value : {0x41u, 0xFFFFu, 0x10000u, 0x1F600u, 0x10FFFFu}) {
        AppendCodePoint(narrow, value);
        AppendCodePoint(wide, value);
    }
    EXPECT_EQ(narrow, u"A\uFFFF\U00010000\U0001F600\U0010FFFF");
    EXPECT_EQ(wide, U"A\uFFFF\U00010000\U0001F600\U0010FFFF");

    const std::u16string fromFile = {0xD83D, 0xDE00, u'x', 0xDE00, 0xD83D};
    EXPECT_EQ(WideFromUtf16Units<char16_t>(fromFile), u"\U0001F600x\uFFFD\uFFFD");
    EXPECT_EQ(WideFromUtf16Units<char32_t>(fromFile), U"\U0001F600x\uFFFD\uFFFD");

    EXPECT_EQ(Utf16UnitsFromWide(std::u16string_view(narrow)), narrow);
    EXPECT_EQ(Utf16UnitsFromWide(std::u32string_view(wide)), narrow);
    EXPECT_EQ(Utf16UnitsFromWide(std::u32string_view(U"\x110000")), u"\uFFFD");
}

TEST(CheckUtf8, StructureOnly)
{
    bool cutShort = true;
    EXPECT_TRUE(CheckUtf8("\xD6\xD0", 2, &cutShort));
    EXPECT_FALSE(cutShort);
    EXPECT_FALSE(CheckUtf8("\xF8\x80\x80\x80\x80", 5, &cutShort));
    EXPECT_FALSE(cutShort);
    EXPECT_FALSE(CheckUtf8("ab\xE4\xB8", 4, &cutShort));
    EXPECT_TRUE(cutShort);
    EXPECT_FALSE(CheckUtf8("\xE4" "A" "\xB8", 3, &cutShort));
    EXPECT_FALSE(cutShort);
    EXPECT_TRUE(CheckUtf8("ok\0\xFF", 4));
}

TEST(FindDeclaredEncoding, XmlDeclarationOnlyAtTheVeryStart)
{
    EXPECT_EQ(FindDeclaredEncoding(L"<?xml version=\"1.0\" encoding=\"GBK\"?><a/>"), L"GBK");
    EXPECT_EQ(FindDeclaredEncoding(L"<?XML encoding='utf-8' ?>"), L"utf-8");
    EXPECT_EQ(FindDeclaredEncoding(L" <?xml version=\"1.0\" encoding=\"GBK\"?><a/>"), L"");
    EXPECT_EQ(FindDeclaredEncoding(L"<?xml version=\"1.0\"?><a/>"), L"");
    EXPECT_EQ(FindDeclaredEncoding(L"<?xml-stylesheet encoding=\"GBK\"?><a/>"), L"");
    EXPECT_EQ(FindDeclaredEncoding(L"<root><?xml encoding=\"GBK\"?></root>"), L"");
    EXPECT_EQ(FindDeclaredEncoding(L""), L"");
}

TEST(FindDeclaredEncoding, HtmlMetaCharsetBeforeTheHeadEnds)
{
    const wchar_t* page =
        L"<!DOCTYPE html><html><head><meta name=\"x\" content=\"charset=big5\">"
        L"<META HTTP-EQUIV=\"content-type\" CONTENT=\"text/html; charset=gb2312\"></head></html>";
    EXPECT_EQ(FindDeclaredEncoding(page), L"gb2312");
    EXPECT_EQ(FindDeclaredEncoding(L"<html><head></head><meta http-equiv=\"Content-Type\" "
                                   L"content=\"text/html; charset=gb2312\"></html>"),
              L"");
    EXPECT_EQ(FindDeclaredEncoding(L"<html><meta http-equiv=\"Content-Type\" content=\"text/html\">"
                                   L"<meta http-equiv=\"Content-Type\" content=\"charset=big5\">"),
              L"");
    EXPECT_EQ(FindDeclaredEncoding(L"<body><meta http-equiv=\"Content-Type\" content=\"charset=big5\">"), L"");
}

}  // namespace
