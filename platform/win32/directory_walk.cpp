#include "platform/directory_walk.h"

#include "platform/win32/handle.h"

#include <algorithm>

namespace platform {
namespace {

bool IsDotOrDotDot(const wchar_t* name)
{
    return name[0] == L'.' && (name[1] == L'\0' || (name[1] == L'.' && name[2] == L'\0'));
}

// A link to a folder carries the folder attribute itself; the system follows it when listed.
FolderEntry EntryOf(const WIN32_FIND_DATAW& found)
{
    const bool folder = (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
    const bool device = (found.dwFileAttributes & FILE_ATTRIBUTE_DEVICE) != 0;
    const bool hidden = found.cFileName[0] == L'.' || (found.dwFileAttributes & FILE_ATTRIBUTE_HIDDEN) != 0;
    return {found.cFileName, folder ? EntryKind::Folder : device ? EntryKind::Other : EntryKind::File, hidden, true};
}

std::wstring WithSeparator(const std::wstring& folder)
{
    if (!folder.empty() && folder.back() != L'/' && folder.back() != L'\\')
        return folder + L'/';
    return folder;
}

}  // namespace

CDirectoryWalk::EnterResult CDirectoryWalk::Enter(const std::wstring& folder, std::vector<FolderEntry>& entries)
{
    entries.clear();
    // The folder's identity (volume and file index) tells a folder reached again apart.
    const win32::CHandle opened(CreateFileW(folder.c_str(), FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS, nullptr));
    BY_HANDLE_FILE_INFORMATION information{};
    if (!opened.Valid() || !GetFileInformationByHandle(opened.Get(), &information))
        return Fail(static_cast<int>(GetLastError()));
    if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        return Fail(ERROR_DIRECTORY);
    const Identity identity(
        information.dwVolumeSerialNumber,
        (std::uint64_t{information.nFileIndexHigh} << 32) | information.nFileIndexLow);
    if (std::find(entered_.begin(), entered_.end(), identity) != entered_.end())
        return EnterResult::Loop;
    WIN32_FIND_DATAW found{};
    const HANDLE search = FindFirstFileExW((WithSeparator(folder) + L'*').c_str(), FindExInfoBasic, &found,
                                           FindExSearchNameMatch, nullptr, FIND_FIRST_EX_LARGE_FETCH);
    if (search == INVALID_HANDLE_VALUE)
        return Fail(static_cast<int>(GetLastError()));
    do {
        if (!IsDotOrDotDot(found.cFileName))
            entries.push_back(EntryOf(found));
    } while (FindNextFileW(search, &found));
    const DWORD error = GetLastError();
    FindClose(search);
    if (error != ERROR_NO_MORE_FILES) {
        entries.clear();
        return Fail(static_cast<int>(error));
    }
    return Entered(identity, entries);
}

}  // namespace platform
