#pragma once
#include <cstddef>
#include <string>

namespace platform {

// A file opened for reading front to back in large blocks; the system is told
// the access is sequential so it reads ahead while the caller works.
class CFileReader {
public:
    CFileReader() = default;
    ~CFileReader();
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    bool Open(const std::wstring& path);
    // Bytes placed in buffer; 0 at the end of the file, -1 on a read error.
    std::ptrdiff_t Read(void* buffer, std::size_t size);

private:
    int descriptor_ = -1;
};

}  // namespace platform
