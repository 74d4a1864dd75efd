#pragma once
#include "platform/file_lock.h"

#include <string>

namespace platform {

// A named single-instance mutex shared by every process of the user. The name is
// taken while the object is open; a process that dies, even killed, frees it. A lock that
// cannot be opened (no private runtime folder, a link planted as the lock file) is an error,
// never taken.
class CNamedMutex {
public:
    explicit CNamedMutex(const std::wstring& name);

    // True when another live process held the name when this object was created.
    bool AlreadyExists() const { return lock_.HeldElsewhere(); }
    // Why the lock could not be opened; empty when it is held or held by another process.
    const std::wstring& Error() const { return error_.empty() ? lock_.Error() : error_; }
    void Close();

private:
    CFileLock lock_;
    std::wstring error_;  // the runtime folder's, when there is none
};

}  // namespace platform
