#include "platform/named_mutex.h"

#include "platform/files.h"
#include "platform/runtime_folder.h"
#include "platform/socket.h"
#include "platform/text.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

namespace platform {
namespace {

// A '/' in the name would point into another folder.
std::wstring LockFileName(std::wstring name)
{
    for (auto& c : name)
        if (c == L'/')
            c = L'_';
    return name + L".lock";
}

}  // namespace

CNamedMutex::CNamedMutex(const std::wstring& name)
{
    const auto folder = RuntimeFolder(&error_);
    if (!folder)
        return;
    const std::wstring path = *folder + LockFileName(name);
    // A link in place of the lock file would make us create or lock a file elsewhere.
    fd_ = open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (fd_ < 0) {
        error_ = path + L": " + WideFromUtf8(SocketErrorText(errno));
        return;
    }
    int result;
    do
        result = flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        alreadyExists_ = errno == EWOULDBLOCK;
        if (!alreadyExists_)
            error_ = path + L": " + WideFromUtf8(SocketErrorText(errno));
        Close();
    }
}

CNamedMutex::~CNamedMutex()
{
    Close();
}

void CNamedMutex::Close()
{
    if (fd_ >= 0)
        close(fd_);
    fd_ = -1;
}

}  // namespace platform
