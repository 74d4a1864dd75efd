// Reads arbitrary bytes as a "filelist.xml"; whatever list comes out must survive
// being written and read back with the same number of entries.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "vexa/install/FileList.h"

namespace {

// A scratch folder for the input and output files, removed when the fuzzer ends.
class CScratchFolder {
public:
    CScratchFolder()
    {
        char pattern[] = "/tmp/fuzz-file-list-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~CScratchFolder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

std::string Folder()
{
    static const CScratchFolder folder;
    return folder.Path();
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
