#include "platform/mapped_output_file.h"

#include "platform/win32/handle.h"

namespace platform {

CMappedOutputFile::~CMappedOutputFile()
{
    Close();
}

bool CMappedOutputFile::Close()
{
    const bool unmapped = !data_ || UnmapViewOfFile(data_);
    data_ = nullptr;
    size_ = 0;
    return unmapped;
}

bool CMappedOutputFile::Create(const std::wstring& path, std::uint64_t size)
{
    Close();
    const win32::CHandle file(CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_DELETE,
                                          nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
    // Setting the end of the file allocates it, so a full disk fails here.
    LARGE_INTEGER end{};
    end.QuadPart = static_cast<LONGLONG>(size);
    if (!file.Valid() || !SetFilePointerEx(file.Get(), end, nullptr, FILE_BEGIN) || !SetEndOfFile(file.Get())) {
        lastError_ = static_cast<int>(GetLastError());
        return false;
    }
    lastError_ = 0;
    if (size == 0)
        return true;
    // The view keeps the file and the mapping open; neither handle is needed after it.
    const win32::CHandle mapping(CreateFileMappingW(file.Get(), nullptr, PAGE_READWRITE, 0, 0, nullptr));
    void* view = mapping.Valid() ? MapViewOfFile(mapping.Get(), FILE_MAP_WRITE, 0, 0, 0) : nullptr;
    if (!view) {
        lastError_ = static_cast<int>(GetLastError());
        return false;
    }
    data_ = static_cast<unsigned char*>(view);
    size_ = size;
    return true;
}

}  // namespace platform
