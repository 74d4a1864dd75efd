// Makes or applies one patch, for bench/delta.sh to time beside xdelta3:
//   delta_patch make <old> <new> <patch> <level>
//   delta_patch apply <old> <patch> <out> <new size>     (prints the MD5 of the result)
#include "platform/text.h"
#include "vexa/delta/FilePatch.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Wide(const char* path)
{
    return platform::WideFromUtf8(path);
}

int Make(char** argv)
{
    std::string patch;
    if (MakeFilePatch(Wide(argv[2]), Wide(argv[3]), std::atoi(argv[5]), patch) != PatchResult::Done)
        return 1;
    std::FILE* file = std::fopen(argv[4], "wb");
    const bool written = file && std::fwrite(patch.data(), 1, patch.size(), file) == patch.size();
    return file && std::fclose(file) == 0 && written ? 0 : 1;
}

int Apply(char** argv)
{
    std::wstring digest;
    const auto size = static_cast<std::uint64_t>(std::strtoull(argv[5], nullptr, 10));
    if (ApplyFilePatch(Wide(argv[2]), Wide(argv[3]), Wide(argv[4]), size, digest) != PatchResult::Done)
        return 1;
    std::printf("%s\n", platform::Utf8FromWide(digest).c_str());
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string command = argc == 6 ? argv[1] : "";
    if (command == "make")
        return Make(argv);
    if (command == "apply")
        return Apply(argv);
    std::fputs("usage: delta_patch make <old> <new> <patch> <level> | apply <old> <patch> <out> <new size>\n", stderr);
    return 2;
}
