#pragma once
// A scratch folder under /tmp for a fuzz target's files, made at first use and
// removed when the fuzzer ends.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

namespace fuzzing {

class CScratchFolder {
public:
    CScratchFolder()
    {
        char pattern[] = "/tmp/vexa-fuzz-XXXXXX";
        path_ = mkdtemp(pattern);
    }
    ~CScratchFolder() { std::filesystem::remove_all(path_); }
    const std::string& Path() const { return path_; }

private:
    std::string path_;
};

// A path in the scratch folder, wide as the updater's code takes it (ASCII only).
inline std::wstring ScratchFile(const char* name)
{
    static const CScratchFolder folder;
    const std::string path = folder.Path() + "/" + name;
    return std::wstring(path.begin(), path.end());
}

// Writes the fuzzer's input to a scratch file, as a download would leave it.
inline void WriteScratchFile(const std::wstring& path, const std::uint8_t* data, std::size_t size)
{
    const std::string native(path.begin(), path.end());
    std::FILE* file = std::fopen(native.c_str(), "wb");
    std::fwrite(data, 1, size, file);
    std::fclose(file);
}

}  // namespace fuzzing
