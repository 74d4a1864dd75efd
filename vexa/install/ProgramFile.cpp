#include "vexa/install/ProgramFile.h"

#include "platform/file_reader.h"

#include <string_view>

bool IsProgramFile(const std::wstring& path)
{
    platform::CFileReader reader;
    if (!reader.Open(path))
        return false;
    char start[4] = {};
    std::size_t used = 0;
    for (std::ptrdiff_t got; used < sizeof start && (got = reader.Read(start + used, sizeof start - used)) > 0;)
        used += static_cast<std::size_t>(got);
    const std::string_view head(start, used);
    return head.starts_with("\x7F" "ELF") || head.starts_with("#!");
}
