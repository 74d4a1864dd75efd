#pragma once
#include <memory>
#include <string>

namespace platform {

// A named single-instance mutex shared by every process of the user's session. The name
// is taken while the object is open; a process that dies, even killed, frees it. A mutex
// that cannot be opened is an error, never taken.
class CNamedMutex {
public:
    explicit CNamedMutex(const std::wstring& name);
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;
    // True when another live process held the name when this object was created.
    bool AlreadyExists() const { return alreadyExists_; }
    // Why the mutex could not be opened; empty when it is held here or by another process.
    const std::wstring& Error() const { return error_; }
    void Close();

private:
    struct Hold;  // what the system keeps while the name is held
    std::unique_ptr<Hold> hold_;
    bool alreadyExists_ = false;
    std::wstring error_;
};

}  // namespace platform
