#include "platform/files.h"

#include "platform/common/copy_names.h"
#include "platform/file_reader.h"

#include <map>
#include <set>

namespace platform {

bool FileSize(const std::wstring& path, std::uint64_t& size, int& error)
{
    CFileReader file;
    if (file.Open(path) && file.Size(size))
        return true;
    error = file.LastError();
    return false;
}

bool CopyFileOver(const std::wstring& from, const std::wstring& to)
{
    int error = 0;
    return CopyFileOver(from, to, error);
}

void RemoveCopyLeftovers(const std::vector<std::wstring>& targets)
{
    std::map<std::string, std::set<std::string>> namesByFolder;
    for (const std::wstring& target : targets) {
        const auto [folder, name] = copy_names::SplitFolder(NativePath(target));
        if (!folder.empty() && !name.empty())
            namesByFolder[folder].insert(name);
    }
    for (const auto& [folder, names] : namesByFolder)
        copy_names::RemoveLeftoversIn(folder, names);
}

}  // namespace platform
