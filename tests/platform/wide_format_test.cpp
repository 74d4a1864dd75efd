#include "platform/wide_format.h"

#include <gtest/gtest.h>

namespace {

std::wstring Format(std::size_t limit, const wchar_t* format, ...)
{
    std::va_list args;
    va_start(args, format);
    std::wstring out = L"unset";
    if (!platform::FormatWindowsWide(out, limit, format, args))
        out = L"<overflow>";
    va_end(args);
    return out;
}

TEST(FormatWindowsWide, StringAndCharacterConversionsFollowTheWindowsKinds)
{
    EXPECT_EQ(Format(100, L"%s: %s", L"\x66F4\x65B0", L"x"), L"\x66F4\x65B0: x");
    EXPECT_EQ(Format(100, L"[%5s|%-3s]", L"ab", L"c"), L"[   ab|c  ]");
    EXPECT_EQ(Format(100, L"%S %hs %ls %ws", "narrow", "short", L"long", L"w"), L"narrow short long w");
    EXPECT_EQ(Format(100, L"%c%C%lc", L'\x66F4', 'n', L'w'), L"\x66F4nw");
    EXPECT_EQ(Format(100, L"%d%% %u %I64d %I64u %Iu %.2f %08x", -5, 7u, -9000000000LL, 18000000000ULL, std::size_t{42},
                     1.5, 0xBEEFu),
              L"-5% 7 -9000000000 18000000000 42 1.50 0000beef");
    EXPECT_EQ(Format(100, L"%*d|%.*s", 4, 1, 2, L"abc"), L"   1|ab");
}

TEST(FormatWindowsWide, ResultMustStaySmallerThanTheLimit)
{
    const std::wstring fits(999, L'x');
    EXPECT_EQ(Format(1000, L"%s", fits.c_str()), fits);
    EXPECT_EQ(Format(1000, L"%sy", fits.c_str()), L"<overflow>");
    EXPECT_EQ(Format(1000, L"%s", std::wstring(5000, L'z').c_str()), L"<overflow>");
}

}  // namespace
