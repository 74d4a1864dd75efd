#include "platform/file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "platform/files.h"

namespace platform {

CFileReader::~CFileReader()
{
    if (descriptor_ >= 0)
        close(descriptor_);
}

bool CFileReader::Open(const std::wstring& path)
{
    const int descriptor = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return Fail(errno);
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = descriptor;
    advised_ = false;
    return true;
}

bool CFileReader::Size(std::uint64_t& size)
{
    struct stat status {};
    if (descriptor_ < 0)
        return Fail(EBADF);
    if (fstat(descriptor_, &status) != 0)
        return Fail(errno);
    if (S_ISDIR(status.st_mode))
        return Fail(EISDIR);
    size = static_cast<std::uint64_t>(status.st_size);
    return true;
}

std::ptrdiff_t CFileReader::Read(void* buffer, std::size_t size)
{
    if (descriptor_ < 0)
        return -1;
    for (;;) {
        const ssize_t got = read(descriptor_, buffer, size);
        if (got < 0 && errno == EINTR)
            continue;
        if (got > 0 && static_cast<std::size_t>(got) == size && !advised_) {
            posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
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
