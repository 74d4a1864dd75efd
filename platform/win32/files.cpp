#include "platform/files.h"

#include "platform/common/copy_names.h"
#include "platform/text.h"
#include "platform/win32/handle.h"

#include <io.h>

#include <random>

namespace platform {
namespace {

constexpr DWORD kShareAll = FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE;

int LastErrorNumber()
{
    return static_cast<int>(GetLastError());
}

DWORD AttributesOf(const std::wstring& path)
{
    return GetFileAttributesW(path.c_str());
}

bool IsFolder(DWORD attributes)
{
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

// A link to a folder is removed as the link; what it points at stays.
bool IsFolderLink(DWORD attributes)
{
    return IsFolder(attributes) && (attributes & FILE_ATTRIBUTE_REPARSE_POINT) != 0;
}

std::wstring FolderOf(const std::wstring& path)
{
    const auto slash = path.find_last_of(L"/\\");
    return slash == std::wstring::npos ? std::wstring() : path.substr(0, slash);
}

// Every entry of a folder but "." and "..", as full paths.
std::vector<std::wstring> EntriesOf(const std::wstring& folder)
{
    std::vector<std::wstring> entries;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((folder + L"/*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return entries;
    do {
        const std::wstring name = found.cFileName;
        if (name != L"." && name != L"..")
            entries.push_back(folder + L'/' + name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return entries;
}

// A read-only file is deleted too, as the shell's delete does.
bool DeleteOneFile(const std::wstring& path)
{
    if (DeleteFileW(path.c_str()))
        return true;
    const DWORD attributes = AttributesOf(path);
    return GetLastError() == ERROR_ACCESS_DENIED && attributes != INVALID_FILE_ATTRIBUTES &&
           SetFileAttributesW(path.c_str(), attributes & ~FILE_ATTRIBUTE_READONLY) && DeleteFileW(path.c_str());
}

DWORD DeleteEntry(const std::wstring& path)
{
    const DWORD attributes = AttributesOf(path);
    if (attributes == INVALID_FILE_ATTRIBUTES)
        return GetLastError();
    if (!IsFolder(attributes))
        return DeleteOneFile(path) ? ERROR_SUCCESS : GetLastError();
    DWORD failure = ERROR_SUCCESS;
    if (!IsFolderLink(attributes))
        for (const std::wstring& entry : EntriesOf(path))
            if (const DWORD error = DeleteEntry(entry); error != ERROR_SUCCESS && failure == ERROR_SUCCESS)
                failure = error;
    if (!RemoveDirectoryW(path.c_str()) && failure == ERROR_SUCCESS)
        failure = GetLastError();
    return failure;
}

// Six letters or digits for a temporary name; CREATE_NEW refuses a name that is taken.
std::wstring UniqueTemporaryBeside(const std::wstring& target)
{
    static constexpr char kLetters[] = "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789";
    static thread_local std::mt19937 random{std::random_device{}()};
    std::string name = copy_names::TemporaryPatternBeside(NativePath(target));
    std::uniform_int_distribution<std::size_t> pick(0, sizeof kLetters - 2);
    for (std::size_t i = name.size() - 6; i < name.size(); ++i)
        name[i] = kLetters[pick(random)];
    return WideFromUtf8(name);
}

bool WriteAll(HANDLE file, const char* data, std::size_t size)
{
    while (size > 0) {
        DWORD written = 0;
        const DWORD piece = static_cast<DWORD>(std::min<std::size_t>(size, 1u << 30));
        if (!WriteFile(file, data, piece, &written, nullptr) || written == 0)
            return false;
        data += written;
        size -= written;
    }
    return true;
}

bool CopyContents(HANDLE from, HANDLE to)
{
    static thread_local char buffer[65536];
    for (;;) {
        DWORD got = 0;
        if (!ReadFile(from, buffer, sizeof buffer, &got, nullptr))
            return false;
        if (got == 0)
            return true;
        if (!WriteAll(to, buffer, got))
            return false;
    }
}

// The copy is written through a temporary beside the target, reaches the disk and then
// replaces the target in one rename.
bool CopyIntoTemporary(HANDLE source, const std::wstring& to, std::wstring& temporary)
{
    win32::CHandle copy;
    for (int attempt = 0; attempt < 16 && !copy.Valid(); ++attempt) {
        temporary = UniqueTemporaryBeside(to);
        copy.Reset(CreateFileW(temporary.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL,
                               nullptr));
        if (!copy.Valid() && GetLastError() != ERROR_FILE_EXISTS)
            return false;
    }
    return copy.Valid() && CopyContents(source, copy.Get()) && FlushFileBuffers(copy.Get());
}

bool MoveOneFile(const std::wstring& from, const std::wstring& to)
{
    CreateFolders(FolderOf(to));
    return MoveFileExW(from.c_str(), to.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_COPY_ALLOWED | MOVEFILE_WRITE_THROUGH) != FALSE;
}

void MoveTree(const std::wstring& from, const std::wstring& to, std::vector<std::wstring>& stayed)
{
    for (const std::wstring& entry : EntriesOf(from)) {
        const std::wstring target = to + entry.substr(from.size());
        const DWORD attributes = AttributesOf(entry);
        if (IsFolder(attributes) && !IsFolderLink(attributes))
            MoveTree(entry, target, stayed);
        else if (!MoveOneFile(entry, target))
            stayed.push_back(entry);
    }
}

std::wstring WithoutTrailingSeparators(std::wstring path)
{
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\'))
        path.pop_back();
    return path;
}

}  // namespace

void copy_names::RemoveLeftoversIn(const std::string& folder, const std::set<std::string>& names)
{
    const std::wstring wideFolder = WideFromUtf8(folder);
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileW((wideFolder + L"*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE)
        return;
    do {
        const std::string copied = CopiedName(Utf8FromWide(found.cFileName));
        const bool plainFile = (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)) == 0;
        if (!copied.empty() && names.count(copied) != 0 && plainFile)
            DeleteFileW((wideFolder + found.cFileName).c_str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
}

std::string NativePath(std::wstring_view path)
{
    return Utf8FromWide(path);
}

bool FileExists(const std::wstring& path)
{
    return AttributesOf(path) != INVALID_FILE_ATTRIBUTES;
}

bool CreateFolders(const std::wstring& folder)
{
    const std::wstring path = WithoutTrailingSeparators(folder);
    if (path.empty() || IsFolder(AttributesOf(path)))
        return !path.empty();
    const std::wstring parent = FolderOf(path);
    if (!parent.empty() && parent.back() != L':')
        CreateFolders(parent);
    CreateDirectoryW(path.c_str(), nullptr);
    return IsFolder(AttributesOf(path));
}

int DeleteTree(const std::wstring& path)
{
    return static_cast<int>(DeleteEntry(WithoutTrailingSeparators(path)));
}

bool RemoveFile(const std::wstring& path)
{
    return DeleteOneFile(path);
}

bool RemoveFileIfPresent(const std::wstring& path)
{
    if (DeleteOneFile(path))
        return true;
    const DWORD error = GetLastError();
    return error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
}

// Access lists come from the target's folder, so no permission travels with the bytes.
bool CopyFileOver(const std::wstring& from, const std::wstring& to, int& error)
{
    const win32::CHandle source(
        CreateFileW(from.c_str(), GENERIC_READ, kShareAll, nullptr, OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    if (!source.Valid()) {
        error = LastErrorNumber();
        return false;
    }
    std::wstring temporary;
    const bool copied = CopyIntoTemporary(source.Get(), to, temporary) &&
                        MoveFileExW(temporary.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH);
    if (!copied) {
        error = LastErrorNumber();
        if (!temporary.empty())
            DeleteFileW(temporary.c_str());
    }
    return copied;
}

bool RenamePath(const std::wstring& from, const std::wstring& to)
{
    return MoveFileExW(from.c_str(), to.c_str(), MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

// Links are rare on Windows and need a privilege to make: the file's bytes are copied.
bool CopyEntryOver(const std::wstring& from, const std::wstring& to, int& error)
{
    return CopyFileOver(from, to, error);
}

std::vector<std::wstring> MoveFilesInto(const std::wstring& from, const std::wstring& to)
{
    std::vector<std::wstring> stayed;
    MoveTree(WithoutTrailingSeparators(from), WithoutTrailingSeparators(to), stayed);
    return stayed;
}

bool SyncFile(const std::wstring& path)
{
    const win32::CHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, kShareAll, nullptr, OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && FlushFileBuffers(file.Get());
}

// A folder's entries reach the disk with the renames, which are written through.
bool SyncFolderOf(const std::wstring& path)
{
    const std::wstring folder = FolderOf(path);
    return IsFolder(AttributesOf(folder.empty() ? L"." : folder));
}

// Whatever can be read can be run here: nothing to change.
bool MakeExecutable(const std::wstring& path)
{
    return FileExists(path);
}

// A private file takes its folder's access list, which for the user's own folders keeps
// other users out.
bool WriteNewFile(const std::wstring& path, std::string_view bytes, bool)
{
    const win32::CHandle file(
        CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    return file.Valid() && WriteAll(file.Get(), bytes.data(), bytes.size());
}

std::FILE* OpenFileStream(const std::wstring& path, const char* mode)
{
    const std::wstring notInherited = WideFromUtf8(mode) + L"N";
    return _wfopen(path.c_str(), notInherited.c_str());
}

bool TruncateFileStream(std::FILE* file)
{
    return std::fflush(file) == 0 && _chsize_s(_fileno(file), 0) == 0 && std::fseek(file, 0, SEEK_SET) == 0;
}

}  // namespace platform
