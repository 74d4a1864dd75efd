#include "vexa/control/ModuleFolders.h"

#include "platform/module_path.h"

std::wstring GetModuleFolder()
{
    const std::wstring exe = platform::ExecutablePath();
    const auto cut = exe.rfind(L'/');
    return cut == std::wstring::npos ? std::wstring() : exe.substr(0, cut + 1);
}

std::wstring GetRootFolder()
{
    const std::wstring exe = platform::ExecutablePath();
    const auto last = exe.rfind(L'/');
    if (last == std::wstring::npos || last == 0)
        return std::wstring();
    const auto parent = exe.rfind(L'/', last - 1);
    return parent == std::wstring::npos ? std::wstring() : exe.substr(0, parent + 1);
}
