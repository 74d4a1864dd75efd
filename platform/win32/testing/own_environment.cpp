#include "platform/testing/own_environment.h"

#include "platform/text.h"

#include <cstdlib>

namespace platform::testing {

// The runtime's copy of the environment is what getenv reads; it passes each change
// on to the process's own, which children inherit.
void SetOwnVariable(const std::string& name, const std::string& value)
{
    _wputenv_s(WideFromUtf8(name).c_str(), WideFromUtf8(value).c_str());
}

// An empty value removes the variable.
void UnsetOwnVariable(const std::string& name)
{
    _wputenv_s(WideFromUtf8(name).c_str(), L"");
}

}  // namespace platform::testing
