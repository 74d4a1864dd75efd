#include "vexa/control/Versions.h"

#include <gtest/gtest.h>

namespace {

// result of CompareVersion(a, b), or 99 when it reports an invalid version; the
// sentinel 7 shows an untouched result.
int Compare(const std::wstring& a, const std::wstring& b)
{
    int result = 7;
    return CompareVersion(a, b, result) ? result : 99;
}

TEST(CompareVersion, NumericPieceByPiece)
{
    EXPECT_EQ(Compare(L"1.2.10", L"1.2.9"), 1);
    EXPECT_EQ(Compare(L"1.2.9", L"1.2.10"), -1);
    EXPECT_EQ(Compare(L"2.0.0", L"1.99.99.99"), 1);
    EXPECT_EQ(Compare(L"1.0.0.1", L"1.0.0"), 1);
}

TEST(CompareVersion, EqualVersionsLeaveTheResultAlone)
{
    EXPECT_EQ(Compare(L"1.2.3", L"1.2.3.0"), 7);
    EXPECT_EQ(Compare(L" 1 . 2 . 3 ", L"1.2.3"), 7);
    EXPECT_EQ(Compare(L"1..2.3", L"1.2.3"), 7);
    EXPECT_EQ(Compare(L"1.a.3", L"1.0.3"), 7);
    EXPECT_EQ(Compare(L"1.2x.3", L"1.2.3"), 7);
}

TEST(CompareVersion, WrongPieceCountsAndEmptyTextAreInvalid)
{
    EXPECT_EQ(Compare(L"1.2", L"1.2.3"), 99);
    EXPECT_EQ(Compare(L"1.2.3", L"1.2.3.4.5"), 99);
    EXPECT_EQ(Compare(L"", L"1.2.3"), 99);
    EXPECT_EQ(Compare(L"1.2.3", L""), 99);
    EXPECT_EQ(Compare(L". . .", L"1.2.3"), 99);
}

TEST(VersionNumber, FollowsTheRuntimeConversionWithin32Bits)
{
    EXPECT_EQ(VersionNumber(L"  42"), 42);
    EXPECT_EQ(VersionNumber(L"+7"), 7);
    EXPECT_EQ(VersionNumber(L"-3"), -3);
    EXPECT_EQ(VersionNumber(L"12abc"), 12);
    EXPECT_EQ(VersionNumber(L"abc"), 0);
    EXPECT_EQ(VersionNumber(L"-"), 0);
    EXPECT_EQ(VersionNumber(L"99999999999"), 2147483647);
    EXPECT_EQ(VersionNumber(L"-99999999999"), -2147483647 - 1);
    // Beyond 32 bits versions saturate instead of wrapping into smaller numbers.
    EXPECT_EQ(Compare(L"1.2.4294967297", L"1.2.3"), 1);
    EXPECT_EQ(Compare(L"1.2.-1", L"1.2.0"), -1);
}

}  // namespace
