#include "platform/environment.h"

#include <cstdlib>

namespace platform {

std::string EnvironmentVariable(const char* name)
{
    const char* value = std::getenv(name);
    return value ? value : "";
}

}  // namespace platform
