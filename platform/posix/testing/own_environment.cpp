#include "platform/testing/own_environment.h"

#include <cstdlib>

namespace platform::testing {

void SetOwnVariable(const std::string& name, const std::string& value)
{
    setenv(name.c_str(), value.c_str(), 1);
}

void UnsetOwnVariable(const std::string& name)
{
    unsetenv(name.c_str());
}

}  // namespace platform::testing
