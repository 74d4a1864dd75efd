#include "platform/file_reader.h"

#include <windows.h>

#include <algorithm>

namespace platform {
namespace {

HANDLE AsHandle(std::intptr_t handle)
{
    return reinterpret_cast<HANDLE>(handle);
}

}  // namespace

CFileReader::~CFileReader()
{
    if (handle_ != -1)
        CloseHandle(AsHandle(handle_));
}

// The system is told up front that the file is read front to back; it reads ahead then.
bool CFileReader::Open(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                                    nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr);
    if (file == INVALID_HANDLE_VALUE)
        return Fail(static_cast<int>(GetLastError()));
    if (handle_ != -1)
        CloseHandle(AsHandle(handle_));
    handle_ = reinterpret_cast<std::intptr_t>(file);
    return true;
}

bool CFileReader::Size(std::uint64_t& size)
{
    LARGE_INTEGER length{};
    if (handle_ == -1)
        return Fail(ERROR_INVALID_HANDLE);
    if (!GetFileSizeEx(AsHandle(handle_), &length))
        return Fail(static_cast<int>(GetLastError()));
    size = static_cast<std::uint64_t>(length.QuadPart);
    return true;
}

std::ptrdiff_t CFileReader::Read(void* buffer, std::size_t size)
{
    if (handle_ == -1)
        return -1;
    DWORD got = 0;
    const DWORD wanted = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
    if (!ReadFile(AsHandle(handle_), buffer, wanted, &got, nullptr))
        return -1;
    return static_cast<std::ptrdiff_t>(got);
}

bool CFileReader::Fail(int error)
{
    lastError_ = error;
    return false;
}

}  // namespace platform
