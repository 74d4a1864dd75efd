#include "platform/directory_walk.h"

#include <algorithm>
#include <cerrno>
#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <utility>

#include "platform/text.h"

namespace platform {
namespace {

EntryKind KindOf(const struct stat& status)
{
    if (S_ISREG(status.st_mode))
        return EntryKind::File;
    return S_ISDIR(status.st_mode) ? EntryKind::Folder : EntryKind::Other;
}

// The entry type readdir reports, asking the file system only for links and
// for file systems that do not report types.
EntryKind KindOf(int folder, const dirent& entry)
{
    switch (entry.d_type) {
    case DT_REG:
        return EntryKind::File;
    case DT_DIR:
        return EntryKind::Folder;
    case DT_LNK:
    case DT_UNKNOWN: {
        struct stat status;
        return fstatat(folder, entry.d_name, &status, 0) == 0 ? KindOf(status) : EntryKind::Other;
    }
    default:
        return EntryKind::Other;
    }
}

bool IsDotOrDotDot(const char* name)
{
    return name[0] == '.' && (name[1] == '\0' || (name[1] == '.' && name[2] == '\0'));
}

FolderEntry EntryOf(int folder, const dirent& entry)
{
    std::wstring name = WideFromUtf8(entry.d_name);
    const bool exact = Utf8FromWide(name) == entry.d_name;
    return {std::move(name), KindOf(folder, entry), entry.d_name[0] == '.', exact};
}

}  // namespace

CDirectoryWalk::EnterResult CDirectoryWalk::Enter(const std::wstring& folder, std::vector<FolderEntry>& entries)
{
    entries.clear();
    const int descriptor = open(Utf8FromWide(folder).c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return Fail(errno);
    struct stat status;
    if (fstat(descriptor, &status) != 0) {
        const int error = errno;
        close(descriptor);
        return Fail(error);
    }
    const Identity identity(status.st_dev, status.st_ino);
    if (std::find(entered_.begin(), entered_.end(), identity) != entered_.end()) {
        close(descriptor);
        return EnterResult::Loop;
    }
    DIR* stream = fdopendir(descriptor);
    if (!stream) {
        const int error = errno;
        close(descriptor);
        return Fail(error);
    }
    // The whole folder is read before the caller descends, so only one folder is
    // open at a time however deep the tree is.
    errno = 0;
    while (const dirent* entry = readdir(stream)) {
        if (!IsDotOrDotDot(entry->d_name))
            entries.push_back(EntryOf(dirfd(stream), *entry));
        errno = 0;
    }
    const int error = errno;
    closedir(stream);
    if (error != 0) {
        entries.clear();
        return Fail(error);
    }
    return Entered(identity, entries);
}

}  // namespace platform
