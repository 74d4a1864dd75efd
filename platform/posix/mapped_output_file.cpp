#include "platform/mapped_output_file.h"

#include "platform/files.h"

#include <cerrno>
#include <fcntl.h>
#include <sys/mman.h>
#include <unistd.h>

namespace platform {

CMappedOutputFile::~CMappedOutputFile()
{
    Close();
}

bool CMappedOutputFile::Close()
{
    const bool unmapped = !data_ || munmap(data_, size_) == 0;
    data_ = nullptr;
    size_ = 0;
    return unmapped;
}

bool CMappedOutputFile::Create(const std::wstring& path, std::uint64_t size)
{
    Close();
    const int descriptor = open(NativePath(path).c_str(), O_RDWR | O_CREAT | O_TRUNC | O_CLOEXEC, 0666);
    if (descriptor < 0) {
        lastError_ = errno;
        return false;
    }
    // A sparse file would turn a full disk into SIGBUS at the first write into a hole.
    lastError_ = size == 0 ? 0 : posix_fallocate(descriptor, 0, static_cast<off_t>(size));
    void* mapped = nullptr;
    if (lastError_ == 0 && size != 0) {
        mapped = mmap(nullptr, static_cast<std::size_t>(size), PROT_READ | PROT_WRITE, MAP_SHARED, descriptor, 0);
        if (mapped == MAP_FAILED)
            lastError_ = errno;
        else
            madvise(mapped, static_cast<std::size_t>(size), MADV_SEQUENTIAL);
    }
    close(descriptor);
    if (lastError_ != 0)
        return false;
    data_ = static_cast<unsigned char*>(mapped);
    size_ = size;
    return true;
}

}  // namespace platform
