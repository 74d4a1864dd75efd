#include "platform/testing/folder_chain.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace platform::testing {
namespace {

// The new folder name inside folder, open; -1 when it could not be made. Closes folder.
int EnterNewFolder(int folder, const std::string& name)
{
    const int inner = mkdirat(folder, name.c_str(), 0700) == 0
                          ? openat(folder, name.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC)
                          : -1;
    close(folder);
    return inner;
}

bool WriteFileIn(int folder, const std::string& name, std::string_view bytes)
{
    const int file = openat(folder, name.c_str(), O_WRONLY | O_CREAT | O_CLOEXEC, 0600);
    const bool written = file >= 0 && write(file, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    if (file >= 0)
        close(file);
    return written;
}

}  // namespace

bool MakeFolderChain(const std::string& parent, const std::vector<std::string>& names, const std::string& fileName,
                     std::string_view bytes)
{
    int folder = open(parent.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    for (auto name = names.begin(); name != names.end() && folder >= 0; ++name)
        folder = EnterNewFolder(folder, *name);
    if (folder < 0)
        return false;
    const bool made = fileName.empty() || WriteFileIn(folder, fileName, bytes);
    close(folder);
    return made;
}

}  // namespace platform::testing
