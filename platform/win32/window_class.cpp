#include "platform/win32/window_class.h"

#include <mutex>
#include <set>
#include <string>

namespace platform::win32 {

HINSTANCE OwnModule()
{
    HMODULE module = nullptr;
    GetModuleHandleExW(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                       reinterpret_cast<LPCWSTR>(&OwnModule), &module);
    return module;
}

bool RegisterWindowClass(const wchar_t* name, WNDPROC procedure)
{
    static std::mutex lock;
    static std::set<std::wstring> registered;
    std::lock_guard guard(lock);
    if (registered.contains(name))
        return true;
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = procedure;
    windowClass.hInstance = OwnModule();
    windowClass.lpszClassName = name;
    if (!RegisterClassExW(&windowClass) && GetLastError() != ERROR_CLASS_ALREADY_EXISTS)
        return false;
    registered.insert(name);
    return true;
}

}  // namespace platform::win32
