#include "platform/clock.h"

#include <chrono>
#include <ctime>
#include <time.h>
#include <thread>

namespace platform {

std::uint32_t TickCount()
{
    const auto sinceStart = std::chrono::steady_clock::now().time_since_epoch();
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(sinceStart).count());
}

void SleepMilliseconds(unsigned milliseconds)
{
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

std::tm LocalTime(std::time_t moment)
{
    std::tm local{};
    localtime_r(&moment, &local);
    return local;
}

}  // namespace platform
