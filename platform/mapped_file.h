#pragma once
#include <cstddef>
#include <cstdint>
#include <string>

namespace platform {

// A whole file mapped read-only into memory: its bytes are read from the page cache
// as they are touched, never copied onto the heap. An empty file maps to no bytes.
class CMappedFile {
public:
    CMappedFile() = default;
    ~CMappedFile();
    CMappedFile(const CMappedFile&) = delete;
    CMappedFile& operator=(const CMappedFile&) = delete;

    // Maps path, unmapping any file mapped before. False when it cannot be opened,
    // measured or mapped (LastError() then holds the error number).
    bool Open(const std::wstring& path);
    const unsigned char* Data() const { return data_; }
    std::uint64_t Size() const { return size_; }
    int LastError() const { return lastError_; }

private:
    void Close();

    const unsigned char* data_ = nullptr;
    std::uint64_t size_ = 0;
    int lastError_ = 0;
};

}  // namespace platform
