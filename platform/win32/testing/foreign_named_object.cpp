#include "platform/testing/foreign_named_object.h"

#include <windows.h>

namespace platform::testing {

CForeignNamedObject::CForeignNamedObject(const std::wstring& name)
    : handle_(reinterpret_cast<std::intptr_t>(CreateEventW(nullptr, TRUE, FALSE, name.c_str())))
{
}

CForeignNamedObject::~CForeignNamedObject()
{
    if (handle_ != 0)
        CloseHandle(reinterpret_cast<HANDLE>(handle_));
}

}  // namespace platform::testing
