#include "platform/named_mutex.h"

#include "platform/file_lock.h"
#include "platform/runtime_folder.h"

namespace platform {
namespace {

// A '/' in the name would point into another folder.
std::wstring LockFileName(std::wstring name)
{
    for (auto& c : name)
        if (c == L'/')
            c = L'_';
    return name + L".lock";
}

}  // namespace

// Here the name is a file lock in the user's private runtime folder: a lock that cannot
// be opened (no private runtime folder, a link planted as the lock file) is an error.
struct CNamedMutex::Hold {
    CFileLock lock;
};

CNamedMutex::CNamedMutex(const std::wstring& name) : hold_(std::make_unique<Hold>())
{
    const auto folder = RuntimeFolder(&error_);
    if (!folder)
        return;
    hold_->lock.Take(*folder + LockFileName(name));
    alreadyExists_ = hold_->lock.HeldElsewhere();
    error_ = hold_->lock.Error();
}

CNamedMutex::~CNamedMutex() = default;

void CNamedMutex::Close()
{
    hold_->lock.Close();
}

}  // namespace platform
