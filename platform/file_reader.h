#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A file opened for reading front to back in large blocks. Once a read fills the
// whole buffer the system is told the access is sequential, so it reads ahead
// while the caller works; a file read in one go costs no such call.
class CFileReader {
public:
    CFileReader() = default;
    ~CFileReader();
    CFileReader(const CFileReader&) = delete;
    CFileReader& operator=(const CFileReader&) = delete;

    // Opens path, closing any file opened before.
    bool Open(const std::wstring& path);
    // Size of the open file; a folder fails with EISDIR here, as it fails to open on Windows.
    bool Size(std::uint64_t& size);
    // Bytes placed in buffer; 0 at the end of the file, -1 on a read error.
    std::ptrdiff_t Read(void* buffer, std::size_t size);
    // The system error code of the last Open or Size that failed.
    int LastError() const { return lastError_; }

private:
    bool Fail(int error);

    std::intptr_t handle_ = -1;  // the system's handle or descriptor; -1 when none
    bool advised_ = false;
    int lastError_ = 0;
};

}  // namespace platform
