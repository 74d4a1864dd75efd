#include "platform/threading.h"

#include <windows.h>

namespace platform {

unsigned CurrentThreadId()
{
    return static_cast<unsigned>(GetCurrentThreadId());
}

int CurrentThreadPriority()
{
    return GetThreadPriority(GetCurrentThread());
}

}  // namespace platform
