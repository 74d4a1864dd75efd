#include "platform/runtime_folder.h"

#include "platform/text.h"

#include <cstdlib>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

std::wstring RuntimeFolder()
{
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        std::wstring folder = WideFromUtf8(runtime);
        if (folder.back() != L'/')
            folder += L'/';
        return folder;
    }
    const std::string fallback = "/tmp/vexa-" + std::to_string(getuid());
    mkdir(fallback.c_str(), 0700);
    return WideFromUtf8(fallback) + L'/';
}

}  // namespace platform
