#include "platform/testing/special_files.h"

namespace platform::testing {

// Windows' named pipes live in a namespace of their own, never in a folder.
bool MakeNamedPipe(const std::string&)
{
    return false;
}

// A window's messages reach it through the system, not through a file.
bool LeaveDeadEndpoint(const std::string&)
{
    return false;
}

}  // namespace platform::testing
