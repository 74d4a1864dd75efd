#pragma once
#include <string>

namespace platform::testing {

// Sets or removes a variable of the test's own environment (UTF-8), as the test's
// getenv and the children it starts see it.
void SetOwnVariable(const std::string& name, const std::string& value);
void UnsetOwnVariable(const std::string& name);

}  // namespace platform::testing
