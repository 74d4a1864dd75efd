#include "vexa/control/PublishedNames.h"

#include <gtest/gtest.h>

namespace {

// Only what could leave the version's folder is refused; the comparison judges the rest.
TEST(PublishedNamesTest, VersionMustStayAFolderOfItsOwn)
{
    for (const wchar_t* version : {L"1.0.0", L"1.2.3.4", L" 1.2.3 ", L"10.0.0", L"1..2.3", L"1.2.3b", L"1.0.-1", L"..1"})
        EXPECT_TRUE(IsFolderSafeVersion(version)) << version;
    for (const wchar_t* version : {L"", L" \t", L"\x3000", L".", L"..", L" .. ", L"../../1.0.0", L"1.0.0/x",
                                   L"1.0.0\\x", L"1.0\x7f", L"1.0\x85", L"1.0\n"})
        EXPECT_FALSE(IsFolderSafeVersion(version)) << version;
}

TEST(PublishedNamesTest, ProductCodeMustStayOnePieceOfTheUrlPath)
{
    for (const wchar_t* code : {L"MOX", L"MOX-CN", L"产品", L"a.b"})
        EXPECT_TRUE(IsUrlSafeProductCode(code)) << code;
    for (const wchar_t* code : {L"MOX/..", L"..", L"a/b", L"a\\b", L"MOX?x=1", L"MOX#frag"})
        EXPECT_FALSE(IsUrlSafeProductCode(code)) << code;
}

}  // namespace
