#pragma once
#include <cstdint>
#include <string>

namespace platform {

// An exclusive lock on a file, held while the object is open; a process that dies,
// even killed, frees it. The file is made when missing and never followed through a
// link: a link planted in its place is an error, never taken.
class CFileLock {
public:
    CFileLock() = default;
    explicit CFileLock(const std::wstring& path) { Take(path); }
    ~CFileLock();
    CFileLock(const CFileLock&) = delete;
    CFileLock& operator=(const CFileLock&) = delete;

    // Tries once, without waiting. True when this object holds the lock afterwards.
    bool Take(const std::wstring& path);
    // True when another open lock on the file held it when Take tried.
    bool HeldElsewhere() const { return heldElsewhere_; }
    // Why the file could not be opened or locked; empty when held here or elsewhere.
    const std::wstring& Error() const { return error_; }
    void Close();

private:
    std::intptr_t handle_ = -1;  // the system's handle or descriptor; -1 when none
    bool heldElsewhere_ = false;
    std::wstring error_;
};

}  // namespace platform
