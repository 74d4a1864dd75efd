#include "platform/file_reader.h"

#include <cerrno>
#include <fcntl.h>
#include <unistd.h>

#include "platform/text.h"

namespace platform {

CFileReader::~CFileReader()
{
    if (descriptor_ >= 0)
        close(descriptor_);
}

bool CFileReader::Open(const std::wstring& path)
{
    const int descriptor = open(Utf8FromWide(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0)
        return false;
    if (descriptor_ >= 0)
        close(descriptor_);
    descriptor_ = descriptor;
    posix_fadvise(descriptor_, 0, 0, POSIX_FADV_SEQUENTIAL);
    return true;
}

std::ptrdiff_t CFileReader::Read(void* buffer, std::size_t size)
{
    if (descriptor_ < 0)
        return -1;
    for (;;) {
        const ssize_t got = read(descriptor_, buffer, size);
        if (got >= 0 || errno != EINTR)
            return got;
    }
}

}  // namespace platform
