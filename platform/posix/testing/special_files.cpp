#include "platform/testing/special_files.h"

#include <sys/stat.h>

namespace platform::testing {

bool MakeNamedPipe(const std::string& path)
{
    return mkfifo(path.c_str(), 0600) == 0;
}

}  // namespace platform::testing
