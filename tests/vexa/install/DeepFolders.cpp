#include "tests/vexa/install/DeepFolders.h"

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
