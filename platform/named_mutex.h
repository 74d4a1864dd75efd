#pragma once
#include <string>

namespace platform {

// A named single-instance mutex shared by every process of the user. The name is
// taken while the object is open; a process that dies, even killed, frees it.
class CNamedMutex {
public:
    explicit CNamedMutex(const std::wstring& name);
    ~CNamedMutex();
    CNamedMutex(const CNamedMutex&) = delete;
    CNamedMutex& operator=(const CNamedMutex&) = delete;

    // True when another live process held the name when this object was created.
    bool AlreadyExists() const { return alreadyExists_; }
    void Close();

private:
    int fd_ = -1;
    bool alreadyExists_ = false;
};

}  // namespace platform
