#pragma once
// Client versions for installation tests: files by FileName, written into a folder
// and listed as the updater's "filelist.xml". Header-only because it uses the
// updater's own list writer and digest, which the test programs link.
#include "platform/text.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

#include <filesystem>
#include <map>
#include <string>

namespace testing_support {

// FileName ("/data/a.pak") -> content.
using VersionFiles = std::map<std::string, std::string>;

inline std::filesystem::path Below(const std::filesystem::path& folder, const std::string& fileName)
{
    return folder / fileName.substr(1);
}

inline void WriteVersionFiles(const std::filesystem::path& folder, const VersionFiles& files)
{
    for (const auto& [name, content] : files) {
        std::filesystem::create_directories(Below(folder, name).parent_path());
        WriteFileBytes(Below(folder, name), content);
    }
}

// The list of the files as they lie below folder.
inline bool WriteVersionList(const std::filesystem::path& folder, const VersionFiles& files,
                             const std::filesystem::path& listPath)
{
    CFileList list;
    for (const auto& [name, content] : files)
        list.Add(CFileListInfo(platform::WideFromUtf8(name), FileMd5Hex(WidePath(Below(folder, name))),
                               static_cast<std::int64_t>(content.size())));
    std::filesystem::create_directories(listPath.parent_path());
    return WriteFileList(list, WidePath(listPath));
}

// The names whose file below folder is missing or has other bytes than given.
inline std::string DifferingFiles(const std::filesystem::path& folder, const VersionFiles& files)
{
    std::string differing;
    for (const auto& [name, content] : files)
        if (ReadFileBytes(Below(folder, name)) != content || !std::filesystem::exists(Below(folder, name)))
            differing += name + " ";
    return differing;
}

}  // namespace testing_support
