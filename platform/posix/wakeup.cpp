#include "platform/wakeup.h"

#include <cerrno>
#include <cstdint>
#include <poll.h>
#include <sys/eventfd.h>
#include <unistd.h>

namespace platform {

CWakeup::CWakeup() : descriptor_(eventfd(0, EFD_NONBLOCK | EFD_CLOEXEC)) {}

CWakeup::~CWakeup()
{
    if (descriptor_ >= 0)
        close(static_cast<int>(descriptor_));
}

void CWakeup::Wake()
{
    const std::uint64_t one = 1;
    [[maybe_unused]] const auto written = write(static_cast<int>(descriptor_), &one, sizeof one);
}

void CWakeup::Consume()
{
    std::uint64_t count = 0;
    [[maybe_unused]] const auto read_ = read(static_cast<int>(descriptor_), &count, sizeof count);
}

bool CWakeup::Wait(unsigned milliseconds)
{
    pollfd waiting{static_cast<int>(descriptor_), POLLIN, 0};
    int count = 0;
    while ((count = poll(&waiting, 1, static_cast<int>(milliseconds))) < 0 && errno == EINTR) {
    }
    if (count <= 0)
        return false;
    Consume();
    return true;
}

}  // namespace platform
