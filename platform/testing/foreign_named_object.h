#pragma once
#include <cstdint>
#include <string>

namespace platform::testing {

// Takes a name in the system's namespace of named mutexes with an object of another
// kind (an event), so that a mutex of that name can be neither created nor opened,
// until this object goes away. Windows only: elsewhere a named mutex is a lock file,
// which a test plants itself, and Held() is false.
class CForeignNamedObject {
public:
    explicit CForeignNamedObject(const std::wstring& name);
    ~CForeignNamedObject();
    CForeignNamedObject(const CForeignNamedObject&) = delete;
    CForeignNamedObject& operator=(const CForeignNamedObject&) = delete;

    bool Held() const { return handle_ != 0; }

private:
    std::intptr_t handle_ = 0;
};

}  // namespace platform::testing
