#include "tests/vexa/install/DeepFolders.h"

#include <algorithm>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

bool MakeFoldersTooDeepToOpen(const std::filesystem::path& parent)
{
    const std::string name(250, 'd');
    int folder = open(parent.c_str(), O_RDONLY | O_DIRECTORY);
    for (int depth = 0; depth < 20 && folder >= 0; ++depth) {
        const int inner = mkdirat(folder, name.c_str(), 0700) == 0 ? openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY) : -1;
        close(folder);
        folder = inner;
    }
    if (folder < 0)
        return false;
    close(folder);
    return true;
}

bool MakeFileTooDeepToMeasure(const std::filesystem::path& parent)
{
    std::filesystem::create_directories(parent);
    int folder = open(parent.c_str(), O_RDONLY | O_DIRECTORY);
    std::size_t length = parent.string().size();
    while (length < 3900 && folder >= 0) {
        const std::string name(std::min<std::size_t>(250, 3990 - length), 'd');
        const int inner = mkdirat(folder, name.c_str(), 0700) == 0 ? openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY) : -1;
        close(folder);
        folder = inner;
        length += name.size() + 1;
    }
    if (folder < 0)
        return false;
    const int file = openat(folder, std::string(200, 'f').c_str(), O_WRONLY | O_CREAT, 0600);
    const bool made = file >= 0 && write(file, "x", 1) == 1;
    if (file >= 0)
        close(file);
    close(folder);
    return made;
}
