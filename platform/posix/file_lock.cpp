#include "platform/file_lock.h"

#include "platform/files.h"
#include "platform/socket.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {

bool CFileLock::Take(const std::wstring& path)
{
    Close();
    heldElsewhere_ = false;
    error_.clear();
    // A link in place of the lock file would make us create or lock a file elsewhere.
    const int fd = open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd < 0) {
        error_ = path + L": " + WideFromUtf8(SocketErrorText(errno));
        return false;
    }
    handle_ = fd;
    int result;
    do
        result = flock(fd, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result == 0)
        return true;
    heldElsewhere_ = errno == EWOULDBLOCK;
    if (!heldElsewhere_)
        error_ = path + L": " + WideFromUtf8(SocketErrorText(errno));
    Close();
    return false;
}

CFileLock::~CFileLock()
{
    Close();
}

void CFileLock::Close()
{
    if (handle_ >= 0)
        close(static_cast<int>(handle_));
    handle_ = -1;
}

}  // namespace platform
