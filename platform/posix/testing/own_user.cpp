#include "platform/testing/own_user.h"

#include <unistd.h>

namespace platform::testing {

unsigned OwnUserId()
{
    return getuid();
}

}  // namespace platform::testing
