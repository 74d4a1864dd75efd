#include "tests/support/VexaSign.h"

#include "tests/support/ChildProcess.h"

#include <gtest/gtest.h>

namespace testing_support {

void RunVexaSign(const std::vector<std::string>& arguments)
{
    ChildOptions options;
    options.arguments = arguments;
    ChildProcess tool(TEST_BIN_DIR "/vexa-sign", options);
    ASSERT_TRUE(tool.Wait());
    ASSERT_EQ(tool.ExitCode(), 0) << tool.Stderr();
}

}  // namespace testing_support
