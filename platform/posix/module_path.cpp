#include "platform/module_path.h"

#include "platform/text.h"

#include <filesystem>

namespace platform {

std::wstring ExecutablePath()
{
    std::error_code error;
    const auto path = std::filesystem::read_symlink("/proc/self/exe", error);
    // path::wstring() would depend on the C locale and throw on non-ASCII names.
    return error ? std::wstring() : WideFromUtf8(path.string());
}

}  // namespace platform
