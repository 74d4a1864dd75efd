#include "platform/threading.h"

#include <pthread.h>
#include <unistd.h>

namespace platform {

unsigned CurrentThreadId()
{
    return static_cast<unsigned>(gettid());
}

int CurrentThreadPriority()
{
    int policy = 0;
    sched_param scheduling{};
    return pthread_getschedparam(pthread_self(), &policy, &scheduling) == 0 ? scheduling.sched_priority : 0;
}

}  // namespace platform
