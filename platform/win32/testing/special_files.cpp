#include "platform/testing/special_files.h"

namespace platform::testing {

// Windows' named pipes live in a namespace of their own, never in a folder.
bool MakeNamedPipe(const std::string&)
{
    return false;
}

}  // namespace platform::testing
