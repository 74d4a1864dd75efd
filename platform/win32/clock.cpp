#include "platform/clock.h"

#include <windows.h>

namespace platform {

std::uint32_t TickCount()
{
    return GetTickCount();
}

void SleepMilliseconds(unsigned milliseconds)
{
    Sleep(milliseconds);
}

std::tm LocalTime(std::time_t moment)
{
    std::tm local{};
    localtime_s(&local, &moment);
    return local;
}

}  // namespace platform
