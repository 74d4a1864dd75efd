#include "platform/module_path.h"

#include <filesystem>

namespace platform {

std::wstring ExecutablePath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::wstring() : path.wstring();
}

}  // namespace platform
