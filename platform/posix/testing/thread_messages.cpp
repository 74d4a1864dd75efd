#include "platform/testing/thread_messages.h"

#include <poll.h>

namespace platform::testing {

bool WaitForThreadMessage(int descriptor, int timeoutMs)
{
    pollfd waiting{descriptor, POLLIN, 0};
    return poll(&waiting, 1, timeoutMs) == 1;
}

int PumpThreadMessages(int)
{
    return -1;
}

}  // namespace platform::testing
