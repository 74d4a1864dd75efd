#include "platform/directory_walk.h"

namespace platform {

CDirectoryWalk::EnterResult CDirectoryWalk::Fail(int error)
{
    lastError_ = error;
    return EnterResult::Failed;
}

void CDirectoryWalk::Leave()
{
    if (!entered_.empty())
        entered_.pop_back();
}

}  // namespace platform
