#include "platform/testing/open_handles.h"

#include <windows.h>

namespace platform::testing {

std::size_t OpenHandleCount()
{
    DWORD count = 0;
    return GetProcessHandleCount(GetCurrentProcess(), &count) ? count : 0;
}

bool ForbidNewHandles()
{
    return false;
}

}  // namespace platform::testing
