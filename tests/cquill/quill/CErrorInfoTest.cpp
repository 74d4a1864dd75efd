#include "cquill/src/quill/CErrorInfo.h"

#include <gtest/gtest.h>

#include <cerrno>

namespace {

TEST(ErrorInfo, ANumberWithoutSystemTextHasAnEmptyText)
{
    quill::CErrorInfo error;
    error.code = ECONNREFUSED;
    EXPECT_EQ(error.GetErrorText(), "Connection refused");
    EXPECT_EQ(error.ToString(), "[111]Connection refused");

    for (const std::uint32_t unknown : {200u, 99999u, 0xFFFFFFFFu}) {
        error.code = unknown;
        EXPECT_EQ(error.GetErrorText(), "") << unknown;
        EXPECT_EQ(error.ToString(), "[" + std::to_string(unknown) + "]");
    }
}

}  // namespace
