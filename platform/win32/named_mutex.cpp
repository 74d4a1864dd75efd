#include "platform/named_mutex.h"

#include "platform/win32/handle.h"

namespace platform {

// The system's own named mutex, in the session's namespace: its name is the one the
// updater passes, so every program that asks for that name sees it.
struct CNamedMutex::Hold {
    win32::CHandle mutex;
};

CNamedMutex::CNamedMutex(const std::wstring& name) : hold_(std::make_unique<Hold>())
{
    hold_->mutex.Reset(CreateMutexW(nullptr, FALSE, name.c_str()));
    const DWORD error = GetLastError();
    if (!hold_->mutex.Valid()) {
        error_ = name + L": " + win32::SystemErrorText(error);
        return;
    }
    // A refused second instance lets go of the name at once, so it never outlives the first.
    alreadyExists_ = error == ERROR_ALREADY_EXISTS;
    if (alreadyExists_)
        hold_->mutex.Reset();
}

CNamedMutex::~CNamedMutex() = default;

void CNamedMutex::Close()
{
    hold_->mutex.Reset();
}

}  // namespace platform
