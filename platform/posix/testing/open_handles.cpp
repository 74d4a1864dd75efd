#include "platform/testing/open_handles.h"

#include <sys/resource.h>

#include <filesystem>

namespace platform::testing {

std::size_t OpenHandleCount()
{
    std::size_t count = 0;
    for ([[maybe_unused]] const auto& entry : std::filesystem::directory_iterator("/proc/self/fd"))
        ++count;
    return count;
}

bool ForbidNewHandles()
{
    const rlimit none{0, 0};
    return setrlimit(RLIMIT_NOFILE, &none) == 0;
}

}  // namespace platform::testing
