#include "platform/module_path.h"

#include <gtest/gtest.h>

TEST(ModulePath, NamesTheRunningTestProgram)
{
    const std::wstring path = platform::ExecutablePath();
    ASSERT_FALSE(path.empty());
    EXPECT_NE(path.find(L"platform_tests"), std::wstring::npos);
}
