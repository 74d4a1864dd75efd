#include "platform/mapped_file.h"

#include "platform/win32/handle.h"

namespace platform {

CMappedFile::~CMappedFile()
{
    Close();
}

void CMappedFile::Close()
{
    if (data_)
        UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
}

bool CMappedFile::Open(const std::wstring& path)
{
    Close();
    const win32::CHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_DELETE, nullptr,
                                          OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER length{};
    if (!file.Valid() || !GetFileSizeEx(file.Get(), &length)) {
        lastError_ = static_cast<int>(GetLastError());
        return false;
    }
    lastError_ = 0;
    if (length.QuadPart == 0)
        return true;
    // The view keeps the file and the mapping open; neither handle is needed after it.
    const win32::CHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READONLY, 0, 0, nullptr));
    const void* view = mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_READ, 0, 0, 0) : nullptr;
    if (!view) {
        lastError_ = static_cast<int>(GetLastError());
        return false;
    }
    data_ = static_cast<const unsigned char*>(view);
    size_ = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

}  // namespace platform
