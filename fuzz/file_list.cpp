// Reads arbitrary bytes as a "filelist.xml"; whatever list comes out must survive
// being written and read back with the same number of entries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "fuzz/ScratchFolder.h"
#include "vexa/install/FileList.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    const std::wstring input = fuzzing::ScratchFile("input.xml");
    fuzzing::WriteScratchFile(input, data, size);

    CFileList list;
    ReadFileList(input, list);

    const std::wstring outputPath = fuzzing::ScratchFile("output.xml");
    if (!WriteFileList(list, outputPath))
        std::abort();
    CFileList again;
    ReadFileList(outputPath, again);
    if (again.GetCount() != list.GetCount())
        std::abort();
    return 0;
}
