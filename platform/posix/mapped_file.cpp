#include "platform/mapped_file.h"

#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

CMappedFile::~CMappedFile()
{
    Close();
}

void CMappedFile::Close()
{
    if (data_)
        munmap(const_cast<unsigned char*>(data_), size_);
    data_ = nullptr;
    size_ = 0;
}

bool CMappedFile::Open(const std::wstring& path)
{
    Close();
    const int descriptor = open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC);
    if (descriptor < 0) {
        lastError_ = errno;
        return false;
    }
    struct stat status {};
    const bool measured = fstat(descriptor, &status) == 0;
    if (!measured || !S_ISREG(status.st_mode)) {
        lastError_ = !measured ? errno : S_ISDIR(status.st_mode) ? EISDIR : EINVAL;
        close(descriptor);
        return false;
    }
    lastError_ = 0;
    if (status.st_size != 0) {
        void* mapped = mmap(nullptr, static_cast<std::size_t>(status.st_size), PROT_READ, MAP_PRIVATE, descriptor, 0);
        if (mapped == MAP_FAILED) {
            lastError_ = errno;
            close(descriptor);
            return false;
        }
        // Patches read the old file front to back, with jumps back into it.
        madvise(mapped, static_cast<std::size_t>(status.st_size), MADV_WILLNEED);
        data_ = static_cast<const unsigned char*>(mapped);
        size_ = static_cast<std::uint64_t>(status.st_size);
    }
    // The mapping keeps the file's pages; the descriptor is no longer needed.
    close(descriptor);
    return true;
}

}  // namespace platform
