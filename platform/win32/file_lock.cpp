#include "platform/file_lock.h"

#include "platform/win32/handle.h"

namespace platform {
namespace {

// Opens the file itself, never what a link in its place points at.
HANDLE OpenLockFile(const std::wstring& path)
{
    const HANDLE file = CreateFileW(path.c_str(), GENERIC_READ | GENERIC_WRITE,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_ALWAYS,
                                    FILE_ATTRIBUTE_NORMAL | FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
    BY_HANDLE_FILE_INFORMATION information{};
    if (file != INVALID_HANDLE_VALUE &&
        (!GetFileInformationByHandle(file, &information) ||
         (information.dwFileAttributes & (FILE_ATTRIBUTE_REPARSE_POINT | FILE_ATTRIBUTE_DIRECTORY)) != 0)) {
        CloseHandle(file);
        SetLastError(ERROR_CANT_ACCESS_FILE);
        return INVALID_HANDLE_VALUE;
    }
    return file;
}

}  // namespace

bool CFileLock::Take(const std::wstring& path)
{
    Close();
    heldElsewhere_ = false;
    error_.clear();
    const HANDLE file = OpenLockFile(path);
    if (file == INVALID_HANDLE_VALUE) {
        error_ = path + L": " + win32::SystemErrorText(GetLastError());
        return false;
    }
    handle_ = reinterpret_cast<std::intptr_t>(file);
    OVERLAPPED start{};
    if (LockFileEx(file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &start))
        return true;
    const DWORD error = GetLastError();
    heldElsewhere_ = error == ERROR_LOCK_VIOLATION;
    if (!heldElsewhere_)
        error_ = path + L": " + win32::SystemErrorText(error);
    Close();
    return false;
}

CFileLock::~CFileLock()
{
    Close();
}

// Closing the handle releases the lock; the system does so too when the process dies.
void CFileLock::Close()
{
    if (handle_ != -1)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
    handle_ = -1;
}

}  // namespace platform
