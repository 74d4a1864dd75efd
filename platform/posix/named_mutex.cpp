#include "platform/named_mutex.h"

#include "platform/files.h"
#include "platform/runtime_folder.h"

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
    const std::string path = NativePath(RuntimeFolder() + LockFileName(name));
    fd_ = open(path.c_str(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (fd_ < 0)
        return;
    int result;
    do
        result = flock(fd_, LOCK_EX | LOCK_NB);
    while (result != 0 && errno == EINTR);
    if (result != 0) {
        alreadyExists_ = errno == EWOULDBLOCK;
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
