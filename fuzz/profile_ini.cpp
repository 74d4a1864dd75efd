// Private-profile files as read from disk: sections, keys, quotes, encodings.
#include "platform/ini.h"
#include "platform/process.h"

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <string>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    static const std::string path = "/tmp/profile_ini_fuzz_" + std::to_string(platform::CurrentProcessId()) + ".ini";
    std::ofstream(path, std::ios::binary | std::ios::trunc).write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
    const std::wstring wide(path.begin(), path.end());
    for (const auto* key : {L"LOG_LEVEL", L"1", L"6"}) {
        const auto value = platform::ReadProfileString(wide, L"SDR", key, L"NONE", 100);
        if (value.size() > 99)
            __builtin_trap();
        platform::ReadProfileString(wide, L"ENDPOINTS", key, L"", 256);
    }
    return 0;
}
