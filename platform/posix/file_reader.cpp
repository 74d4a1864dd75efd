#include "platform/file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace platform {

CFileReader::~CFileReader()
{
    if (handle_ >= 0)
        close(static_cast<int>(handle_));
}

bool CFileReader::Open(const std::wstring& path)
{
    const int descriptor = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return Fail(errno);
    if (handle_ >= 0)
        close(static_cast<int>(handle_));
    handle_ = descriptor;
    advised_ = false;
    return true;
}

bool CFileReader::Size(std::uint64_t& size)
{
    struct stat status {};
    if (handle_ < 0)
        return Fail(EBADF);
    if (fstat(static_cast<int>(handle_), &status) != 0)
        return Fail(errno);
    if (S_ISDIR(status.st_mode))
        return Fail(EISDIR);
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::ptrdiff_t CFileReader::Read(void* buffer, std::size_t size)
{
    if (handle_ < 0)
        return -1;
    const int descriptor = static_cast<int>(handle_);
    for (;;) {
        const ssize_t got = read(descriptor, buffer, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got > 0 && static_cast<std::size_t>(got) == size && !advised_) {
            posix_fadvise(descriptor, 0, 0, POSIX_FADV_SEQUENTIAL);
            advised_ = true;
        }
        return got;
    }
}

bool CFileReader::Fail(int error)
{
    lastError_ = error;
    return false;
}

}  // namespace platform
