// Reads arbitrary bytes as a "filelist.xml"; whatever list comes out must survive
// being written and read back with the same number of entries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

#include "vexa/install/FileList.h"

namespace {

std::string Folder()
{
    static const std::string folder = [] {
        char pattern[] = "/tmp/fuzz-file-list-XXXXXX";
        return std::string(mkdtemp(pattern));
    }();
    return folder;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::string input = Folder() + "/input.xml";
    FILE* file = std::fopen(input.c_str(), "wb");
    std::fwrite(data, 1, size, file);
    std::fclose(file);

    CFileList list;
    ReadFileList(std::wstring(input.begin(), input.end()), list);

    const std::string output = Folder() + "/output.xml";
    const std::wstring outputPath(output.begin(), output.end());
    if (!WriteFileList(list, outputPath))
        std::abort();
    CFileList again;
    ReadFileList(outputPath, again);
    if (again.GetCount() != list.GetCount())
        std::abort();
    return 0;
}
