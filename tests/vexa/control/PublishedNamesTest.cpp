#include "vexa/control/PublishedNames.h"

#include <gtest/gtest.h>

namespace {

TEST(PublishedNamesTest, VersionMustBeAFolderNameOfDigitsAndDots)
{
    for (const wchar_t* version : {L"1.0.0", L"1.2.3.4", L" 1.2.3 ", L"10.0.0"})
        EXPECT_TRUE(IsFolderSafeVersion(version)) << version;
    for (const wchar_t* version : {L"1..2.3", L"../../1.0.0", L"1.0.0/x", L"1.0.0\\x", L"1.0.0a", L"1.0.-1"})
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
