#include "platform/files.h"

#include "platform/common/copy_names.h"
#include "platform/text.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <utility>
#include <sys/stat.h>
#include <unistd.h>

namespace platform {
namespace {

// Closes a descriptor when the scope ends.
class FileDescriptor {
public:
    explicit FileDescriptor(int fd) : fd_(fd) {}
    ~FileDescriptor()
    {
        if (fd_ >= 0)
            close(fd_);
    }
    FileDescriptor(const FileDescriptor&) = delete;
    FileDescriptor& operator=(const FileDescriptor&) = delete;
    int Get() const { return fd_; }

private:
    int fd_;
};

bool WriteAll(int fd, const char* data, size_t size)
{
    while (size > 0) {
        const ssize_t written = write(fd, data, size);
        if (written < 0 && errno == EINTR)
            continue;
        if (written <= 0)
            return false;
        data += written;
        size -= static_cast<size_t>(written);
    }
    return true;
}

bool CopyContents(int from, int to)
{
    char buffer[65536];
    for (;;) {
        const ssize_t got = read(from, buffer, sizeof(buffer));
        if (got < 0 && errno == EINTR)
            continue;
        if (got < 0)
            return false;
        if (got == 0)
            return true;
        if (!WriteAll(to, buffer, static_cast<size_t>(got)))
            return false;
    }
}

// A replaced file keeps its own permissions: a download carries none, and an
// executable it replaces must stay executable. A new file takes the source's.
mode_t ModeForCopy(mode_t sourceMode, const std::string& target)
{
    struct stat replaced {};
    const bool replacing = stat(target.c_str(), &replaced) == 0 && S_ISREG(replaced.st_mode);
    return (replacing ? replaced.st_mode : sourceMode) & 07777;
}

}  // namespace

// Works on the folder's descriptor, so each name is looked at and deleted in the
// folder that was listed even if a path component is swapped meanwhile.
void copy_names::RemoveLeftoversIn(const std::string& folder, const std::set<std::string>& names)
{
    const int descriptor = open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (descriptor < 0)
        return;
    DIR* stream = fdopendir(descriptor);
    if (stream == nullptr) {
        close(descriptor);
        return;
    }
    while (const dirent* entry = readdir(stream)) {
        const std::string copied = CopiedName(entry->d_name);
        struct stat status {};
        if (!copied.empty() && names.count(copied) != 0 &&
            fstatat(descriptor, entry->d_name, &status, AT_SYMLINK_NOFOLLOW) == 0 && S_ISREG(status.st_mode))
            unlinkat(descriptor, entry->d_name, 0);
    }
    closedir(stream);
}

namespace {

// A link is made afresh in place of the target: a copy of a link needs no temporary,
// the target being a backup or a file whose backup is kept until it is back.
bool CopyLink(const std::string& from, const std::string& to, int& error)
{
    std::error_code failure;
    const std::filesystem::path text = std::filesystem::read_symlink(from, failure);
    if (!failure && (unlink(to.c_str()) == 0 || errno == ENOENT) && symlink(text.c_str(), to.c_str()) == 0)
        return true;
    error = failure ? failure.value() : errno;
    return false;
}

bool IsLink(const std::string& path)
{
    struct stat status {};
    return lstat(path.c_str(), &status) == 0 && S_ISLNK(status.st_mode);
}

bool MoveFile(const std::filesystem::path& from, const std::filesystem::path& to)
{
    std::error_code error;
    std::filesystem::create_directories(to.parent_path(), error);
    if (rename(from.c_str(), to.c_str()) == 0) {
        // Back in place whether or not its folder reaches the disk now.
        SyncFolderOf(WideFromUtf8(to.native()));
        return true;
    }
    int copyError = 0;
    return CopyEntryOver(WideFromUtf8(from.native()), WideFromUtf8(to.native()), copyError) &&
           unlink(from.c_str()) == 0;
}

}  // namespace

std::vector<std::wstring> MoveFilesInto(const std::wstring& from, const std::wstring& to)
{
    const std::filesystem::path source(NativePath(from));
    const std::filesystem::path target(NativePath(to));
    std::vector<std::wstring> stayed;
    std::error_code error;
    for (std::filesystem::recursive_directory_iterator walk(source, error), end; !error && walk != end;
         walk.increment(error)) {
        if (walk->is_directory(error) && !walk->is_symlink(error))
            continue;
        if (!MoveFile(walk->path(), target / walk->path().lexically_relative(source)))
            stayed.push_back(WideFromUtf8(walk->path().native()));
    }
    return stayed;
}

bool CopyEntryOver(const std::wstring& from, const std::wstring& to, int& error)
{
    const std::string source = NativePath(from);
    return IsLink(source) ? CopyLink(source, NativePath(to), error) : CopyFileOver(from, to, error);
}

bool SyncFile(const std::wstring& path)
{
    const FileDescriptor file(open(NativePath(path).c_str(), O_RDONLY | O_CLOEXEC));
    return file.Get() >= 0 && fsync(file.Get()) == 0;
}

bool SyncFolderOf(const std::wstring& path)
{
    const std::string folder = copy_names::SplitFolder(NativePath(path)).first;
    const FileDescriptor file(open(folder.empty() ? "." : folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC));
    return file.Get() >= 0 && fsync(file.Get()) == 0;
}

std::string NativePath(std::wstring_view path)
{
    return Utf8FromWide(path);
}

bool FileExists(const std::wstring& path)
{
    return access(NativePath(path).c_str(), F_OK) == 0;
}

bool CreateFolders(const std::wstring& folder)
{
    std::error_code error;
    const std::filesystem::path native(NativePath(folder));
    std::filesystem::create_directories(native, error);
    return std::filesystem::is_directory(native, error);
}

int DeleteTree(const std::wstring& path)
{
    std::error_code error;
    const std::filesystem::path native(NativePath(path));
    if (!std::filesystem::exists(std::filesystem::symlink_status(native, error)))
        return ENOENT;
    std::filesystem::remove_all(native, error);
    return error.value();
}

bool RemoveFile(const std::wstring& path)
{
    return unlink(NativePath(path).c_str()) == 0;
}

bool RemoveFileIfPresent(const std::wstring& path)
{
    return unlink(NativePath(path).c_str()) == 0 || errno == ENOENT;
}

bool CopyFileOver(const std::wstring& from, const std::wstring& to, int& error)
{
    const FileDescriptor source(open(NativePath(from).c_str(), O_RDONLY | O_CLOEXEC));
    struct stat status {};
    if (source.Get() < 0 || fstat(source.Get(), &status) != 0 || !S_ISREG(status.st_mode)) {
        error = source.Get() < 0 ? errno : EISDIR;
        return false;
    }
    const std::string target = NativePath(to);
    std::string temporary = copy_names::TemporaryPatternBeside(target);
    const FileDescriptor copy(mkostemp(temporary.data(), O_CLOEXEC));
    if (copy.Get() < 0) {
        error = errno;
        return false;
    }
    const bool copied = CopyContents(source.Get(), copy.Get()) &&
                        fchmod(copy.Get(), ModeForCopy(status.st_mode, target)) == 0 && fsync(copy.Get()) == 0 &&
                        rename(temporary.c_str(), target.c_str()) == 0 && SyncFolderOf(to);
    if (!copied) {
        error = errno;
        unlink(temporary.c_str());
    }
    return copied;
}

bool RenamePath(const std::wstring& from, const std::wstring& to)
{
    return rename(NativePath(from).c_str(), NativePath(to).c_str()) == 0;
}

bool MakeExecutable(const std::wstring& path)
{
    const std::string native = NativePath(path);
    struct stat status {};
    if (stat(native.c_str(), &status) != 0)
        return false;
    const mode_t readable = status.st_mode & (S_IRUSR | S_IRGRP | S_IROTH);
    return chmod(native.c_str(), (status.st_mode & 07777) | (readable >> 2)) == 0;
}

bool WriteNewFile(const std::wstring& path, std::string_view bytes, bool isPrivate)
{
    const int descriptor = open(NativePath(path).c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC,
                                isPrivate ? 0600 : 0644);
    if (descriptor < 0)
        return false;
    const bool written = write(descriptor, bytes.data(), bytes.size()) == static_cast<ssize_t>(bytes.size());
    return close(descriptor) == 0 && written;
}

std::FILE* OpenFileStream(const std::wstring& path, const char* mode)
{
    const std::string closeOnExec = std::string(mode) + "e";
    return std::fopen(NativePath(path).c_str(), closeOnExec.c_str());
}

bool TruncateFileStream(std::FILE* file)
{
    return std::fflush(file) == 0 && ftruncate(fileno(file), 0) == 0 && std::fseek(file, 0, SEEK_SET) == 0;
}

}  // namespace platform
