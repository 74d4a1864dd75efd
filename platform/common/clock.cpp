#include "platform/clock.h"

namespace platform {

std::tm LocalTimeNow()
{
    return LocalTime(std::time(nullptr));
}

}  // namespace platform
