#pragma once
#include <windows.h>

#include <string>

namespace platform::win32 {

// Closes a kernel handle when the scope ends; INVALID_HANDLE_VALUE and null both mean none.
class CHandle {
public:
    explicit CHandle(HANDLE handle = INVALID_HANDLE_VALUE) : handle_(handle) {}
    ~CHandle() { Reset(); }
    CHandle(const CHandle&) = delete;
    CHandle& operator=(const CHandle&) = delete;
    HANDLE Get() const { return handle_; }
    bool Valid() const { return handle_ != INVALID_HANDLE_VALUE && handle_ != nullptr; }
    void Reset(HANDLE handle = INVALID_HANDLE_VALUE)
    {
        if (Valid())
            CloseHandle(handle_);
        handle_ = handle;
    }

private:
    HANDLE handle_;
};

// The system's words for an error code, without the line end it adds.
std::wstring SystemErrorText(DWORD error);

}  // namespace platform::win32
