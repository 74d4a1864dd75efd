#include "platform/module_path.h"

#include <windows.h>

#include <algorithm>

namespace platform {

// Paths inside the programs use '/', which the system accepts as well.
std::wstring ExecutablePath()
{
    std::wstring path(MAX_PATH, L'\0');
    for (;;) {
        const DWORD length = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
        if (length == 0)
            return std::wstring();
        if (length < path.size()) {
            path.resize(length);
            std::replace(path.begin(), path.end(), L'\\', L'/');
            return path;
        }
        path.resize(path.size() * 2);
    }
}

}  // namespace platform
