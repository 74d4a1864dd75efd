#include "platform/runtime_folder.h"

#include "platform/files.h"
#include "platform/socket.h"
#include "platform/text.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <string>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {

namespace {

constexpr mode_t kPrivateMode = 0700;

std::wstring Problem(const std::string& folder, const std::string& why)
{
    return WideFromUtf8(folder) + L": " + WideFromUtf8(why);
}

// A trailing '/' would make the kernel follow a link that O_NOFOLLOW is meant to refuse.
std::string WithoutTrailingSeparators(std::string path)
{
    while (path.size() > 1 && path.back() == '/')
        path.pop_back();
    return path;
}

std::string WhyNotOpened(const std::string& path, int error)
{
    struct stat status {};
    if (lstat(path.c_str(), &status) == 0) {
        if (S_ISLNK(status.st_mode))
            return "is a link";
        if (!S_ISDIR(status.st_mode))
            return "is not a folder";
    }
    return SocketErrorText(error);
}

std::string WhyNotPrivate(const struct stat& status)
{
    if (status.st_uid != geteuid())
        return "belongs to user " + std::to_string(status.st_uid);
    if ((status.st_mode & 0777) != kPrivateMode) {
        char mode[32];
        std::snprintf(mode, sizeof mode, "has mode %04o, not 0700", static_cast<unsigned>(status.st_mode & 0777));
        return mode;
    }
    return {};
}

std::wstring WithSeparator(std::wstring folder)
{
    if (folder.back() != L'/')
        folder += L'/';
    return folder;
}

}  // namespace

bool IsPrivateFolder(const std::wstring& folder, bool create, std::wstring& problem)
{
    const std::string path = WithoutTrailingSeparators(NativePath(folder));
    const bool created = create && mkdir(path.c_str(), kPrivateMode) == 0;
    // Checked through the opened folder, so that what is checked is what was found.
    const int fd = open(path.c_str(), O_RDONLY | O_DIRECTORY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) {
        problem = Problem(path, WhyNotOpened(path, errno));
        return false;
    }
    // The umask may have taken bits from a folder made just now.
    if (created)
        fchmod(fd, kPrivateMode);
    struct stat status {};
    const bool known = fstat(fd, &status) == 0;
    const int error = errno;
    close(fd);
    const std::string why = known ? WhyNotPrivate(status) : SocketErrorText(error);
    if (why.empty())
        return true;
    problem = Problem(path, why);
    return false;
}

std::optional<std::wstring> RuntimeFolder(std::wstring* problem)
{
    std::wstring problems;
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime && *runtime) {
        std::wstring why;
        if (IsPrivateFolder(WideFromUtf8(runtime), false, why))
            return WithSeparator(WideFromUtf8(runtime));
        problems = why + L"; ";
    }
    const std::wstring fallback = L"/tmp/vexa-" + std::to_wstring(getuid());
    std::wstring why;
    if (IsPrivateFolder(fallback, true, why))
        return fallback + L'/';
    if (problem)
        *problem = problems + why;
    return std::nullopt;
}

}  // namespace platform
