#pragma once
#include <cstdint>
#include <ctime>

namespace platform {

// Milliseconds since an arbitrary start, wrapping at 2^32 like the Windows tick count:
// compare ticks only by unsigned difference.
std::uint32_t TickCount();

void SleepMilliseconds(unsigned milliseconds);

// The current local date and time; safe to call from any thread.
std::tm LocalTimeNow();
// The local date and time of a moment; safe to call from any thread.
std::tm LocalTime(std::time_t moment);

}  // namespace platform
