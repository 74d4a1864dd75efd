#include "platform/module_path.h"

namespace platform {

std::wstring ExecutableFolder()
{
    std::wstring path = ExecutablePath();
    const auto slash = path.rfind(L'/');
    if (slash == std::wstring::npos)
        return path + L'/';
    path.resize(slash + 1);
    return path;
}

}  // namespace platform
