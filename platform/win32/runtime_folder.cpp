#include "platform/runtime_folder.h"

#include "platform/win32/handle.h"

#include <aclapi.h>
#include <shlobj.h>

#include <algorithm>
#include <vector>

namespace platform {
namespace {

std::wstring WithoutTrailingSeparators(std::wstring path)
{
    while (path.size() > 1 && (path.back() == L'/' || path.back() == L'\\'))
        path.pop_back();
    return path;
}

// The user this process runs as, as a security identifier.
std::vector<BYTE> CurrentUser()
{
    win32::CHandle token;
    HANDLE opened = nullptr;
    if (!OpenProcessToken(GetCurrentProcess(), TOKEN_QUERY, &opened))
        return {};
    token.Reset(opened);
    DWORD size = 0;
    GetTokenInformation(token.Get(), TokenUser, nullptr, 0, &size);
    std::vector<BYTE> user(size);
    if (size == 0 || !GetTokenInformation(token.Get(), TokenUser, user.data(), size, &size))
        return {};
    return user;
}

// Why the folder, opened without following a link, is not the user's own; empty when it is.
std::wstring WhyNotOwn(HANDLE folder)
{
    PSID owner = nullptr;
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    if (GetSecurityInfo(folder, SE_FILE_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr, nullptr,
                        &descriptor) != ERROR_SUCCESS)
        return L"its owner cannot be read";
    const std::vector<BYTE> user = CurrentUser();
    const bool own = !user.empty() && EqualSid(owner, reinterpret_cast<const TOKEN_USER*>(user.data())->User.Sid);
    LocalFree(descriptor);
    return own ? std::wstring() : L"belongs to another user";
}

std::wstring LocalAppData()
{
    wchar_t* path = nullptr;
    std::wstring folder;
    if (SHGetKnownFolderPath(FOLDERID_LocalAppData, 0, nullptr, &path) == S_OK)
        folder = path;
    CoTaskMemFree(path);
    std::replace(folder.begin(), folder.end(), L'\\', L'/');
    return folder;
}

}  // namespace

// The system's per-user folders come with an access list that keeps other users out;
// what is checked here is that the folder is a real folder, no link, owned by this user.
bool IsPrivateFolder(const std::wstring& folder, bool create, std::wstring& problem)
{
    const std::wstring path = WithoutTrailingSeparators(folder);
    if (create)
        CreateDirectoryW(path.c_str(), nullptr);
    const win32::CHandle opened(CreateFileW(path.c_str(), READ_CONTROL | FILE_READ_ATTRIBUTES,
                                            FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                            OPEN_EXISTING, FILE_FLAG_BACKUP_SEMANTICS | FILE_FLAG_OPEN_REPARSE_POINT,
                                            nullptr));
    if (!opened.Valid()) {
        problem = path + L": " + win32::SystemErrorText(GetLastError());
        return false;
    }
    BY_HANDLE_FILE_INFORMATION information{};
    std::wstring why;
    if (!GetFileInformationByHandle(opened.Get(), &information))
        why = win32::SystemErrorText(GetLastError());
    else if (information.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)
        why = L"is a link";
    else if (!(information.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY))
        why = L"is not a folder";
    else
        why = WhyNotOwn(opened.Get());
    if (why.empty())
        return true;
    problem = path + L": " + why;
    return false;
}

// A folder of its own under the user's local application data: per user, never roamed
// to other machines, and kept across runs, unlike a temporary folder that cleaners empty.
std::optional<std::wstring> RuntimeFolder(std::wstring* problem)
{
    const std::wstring base = LocalAppData();
    std::wstring why = L"no local application data folder";
    if (!base.empty()) {
        const std::wstring folder = base + L"/vexa";
        if (IsPrivateFolder(folder, true, why))
            return folder + L'/';
    }
    if (problem)
        *problem = why;
    return std::nullopt;
}

}  // namespace platform
