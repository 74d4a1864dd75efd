#include "cquill/src/quill/CErrorInfo.h"

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(ErrorInfo, ANumberWithoutSystemTextHasAnEmptyText)
{
    quill::CErrorInfo error;
    // A refused connection in each system's numbering: errno, Windows Sockets.
#ifdef _WIN32
    const std::vector<std::uint32_t> unknowns = {99999u, 0xFFFFFFFFu};  // 200 has a text there
    error.code = 10061;
    EXPECT_FALSE(error.GetErrorText().empty());
    EXPECT_EQ(error.ToString(), "[10061]" + error.GetErrorText());
#else
    const std::vector<std::uint32_t> unknowns = {200u, 99999u, 0xFFFFFFFFu};
    error.code = 111;
    EXPECT_EQ(error.GetErrorText(), "Connection refused");
    EXPECT_EQ(error.ToString(), "[111]Connection refused");
#endif

    for (const std::uint32_t unknown : unknowns) {
        error.code = unknown;
        EXPECT_EQ(error.GetErrorText(), "") << unknown;
        EXPECT_EQ(error.ToString(), "[" + std::to_string(unknown) + "]");
    }
}

}  // namespace
