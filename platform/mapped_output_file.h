#pragma once
#include <cstdint>
#include <string>

namespace platform {

// A new file of a known size mapped for writing: what is written into Data() lands in
// the page cache and reaches the file without a copy through a buffer. The whole size
// is reserved on the disk at creation, so a full disk fails Create() instead of the
// first write into a page that has no block behind it.
class CMappedOutputFile {
public:
    CMappedOutputFile() = default;
    ~CMappedOutputFile();
    CMappedOutputFile(const CMappedOutputFile&) = delete;
    CMappedOutputFile& operator=(const CMappedOutputFile&) = delete;

    // Creates (or empties) path, sizes it and maps it. False when any step fails
    // (LastError() then holds the error number); a file already made stays.
    bool Create(const std::wstring& path, std::uint64_t size);
    unsigned char* Data() const { return data_; }
    std::uint64_t Size() const { return size_; }
    int LastError() const { return lastError_; }
    // Unmaps the file; false when what was written could not be handed to the system.
    bool Close();

private:
    unsigned char* data_ = nullptr;
    std::uint64_t size_ = 0;
    int lastError_ = 0;
};

}  // namespace platform
