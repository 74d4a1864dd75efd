#pragma once
#include <string>
#include <vector>

namespace testing_support {

// Runs the publisher's signing tool with these arguments; a failed run fails the test.
void RunVexaSign(const std::vector<std::string>& arguments);

}  // namespace testing_support
