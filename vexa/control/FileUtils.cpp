#include "vexa/control/FileUtils.h"

#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text.h"
#include "vexa/control/ModuleFolders.h"

#include <cstdio>
#include <string>

namespace {

const unsigned kNeedUpdateCodePage = 936;

// A text-mode stream on Windows turns every LF into CR LF; the client reads the
// file with that translation in it.
std::string TextModeBytes(const std::string& bytes)
{
    std::string out;
    for (const char c : bytes) {
        if (c == '\n')
            out += '\r';
        out += c;
    }
    return out;
}

void DeleteFileIfPresent(const std::wstring& path)
{
    if (FileExists(path))
        platform::RemoveFile(path);
}

void DeleteFolderIfPresent(const std::wstring& folder)
{
    if (FileExists(folder))
        DeleteTree(folder);
}

std::wstring DoomedBackupPath()
{
    return GetModuleFolder() + L".backup.deleting";
}

}  // namespace

bool FileExists(const std::wstring& path)
{
    return platform::FileExists(path);
}

std::wstring GetPathDir(const std::wstring& path)
{
    auto cut = path.rfind(L'/');
    if (cut == std::wstring::npos)
        cut = path.rfind(L'\\');
    return cut == std::wstring::npos ? path : path.substr(0, cut + 1);
}

void EnsurePathDir(const std::wstring& path)
{
    std::wstring folder = GetPathDir(path);
    // A bare name has no folder part; a folder of its name would block the file.
    if (folder.back() != L'/' && folder.back() != L'\\')
        return;
    for (auto& c : folder)
        if (c == L'\\')
            c = L'/';
    if (!platform::FileExists(folder))
        platform::CreateFolders(folder);
}

int DeleteTree(const std::wstring& folder)
{
    std::wstring target = folder;
    if (!target.empty() && (target.back() == L'/' || target.back() == L'\\'))
        target.pop_back();
    return platform::DeleteTree(target);
}

void DeleteTempDownloadFolder()
{
    DeleteFolderIfPresent(GetTempDownloadFolder());
}

std::wstring TemporaryPathBeside(const std::wstring& path)
{
    // Split as GetPathDir splits, so a native Windows path keeps its folder.
    const std::wstring folder = GetPathDir(path);
    const std::size_t nameStart = folder.size() == path.size() ? 0 : folder.size();
    return path.substr(0, nameStart) + L"." + path.substr(nameStart) + L".new";
}

void DeleteBackupFolder()
{
    // Renamed away first: a "backup" folder that a killed run leaves behind then always
    // means an unfinished installation, never a half-deleted finished one. The rename
    // ends the installation, so it reaches the disk before the lists change.
    const std::wstring backup = GetBackupFolder();
    const std::wstring doomed = DoomedBackupPath();
    DeleteFolderIfPresent(doomed);
    if (FileExists(backup) && platform::RenamePath(backup.substr(0, backup.size() - 1), doomed)) {
        platform::SyncFolderOf(doomed);
        DeleteTree(doomed);
    } else {
        DeleteFolderIfPresent(backup);
    }
}

void DeleteDoomedBackupFolder()
{
    DeleteFolderIfPresent(DoomedBackupPath());
}

void DeleteNeedUpdateFile()
{
    DeleteFileIfPresent(GetNeedUpdatePath());
}

void DeleteDownloadInfoFile()
{
    DeleteFileIfPresent(GetDownloadInfoPath());
}

bool WriteNeedUpdateFile(const std::vector<std::wstring>& lines)
{
    const std::wstring path = GetNeedUpdatePath();
    DeleteFileIfPresent(path);
    std::string contents;
    for (const auto& line : lines) {
        std::string bytes;
        platform::WideToCodePage(kNeedUpdateCodePage, line + L"\r\n", bytes);
        contents += TextModeBytes(bytes);
    }
    // Written beside it and renamed into place: the client never finds half a file.
    const std::wstring temporary = TemporaryPathBeside(path);
    std::FILE* file = platform::OpenFileStream(temporary, "wb");
    if (!file)
        return false;
    const bool written = std::fwrite(contents.data(), 1, contents.size(), file) == contents.size();
    // A short write or a failed close leaves a file the client would misread; the
    // hand-over it starts must survive a power loss whole or not at all.
    if (std::fclose(file) == 0 && written && platform::SyncFile(temporary) && platform::RenamePath(temporary, path) &&
        platform::SyncFolderOf(path))
        return true;
    platform::RemoveFile(temporary);
    return false;
}

bool CopyNewConfig()
{
    return platform::CopyFileOver(GetDownloadedConfigPath(), GetLocalConfigPath());
}

bool GetFileSize(const std::wstring& path, std::uint64_t& size)
{
    int error = 0;
    if (platform::FileSize(path, size, error))
        return true;
    ReportFileSizeFailure(path, error);
    return false;
}

void ReportFileSizeFailure(const std::wstring& path, int error)
{
    const std::wstring line = L"无法获取文件大小: " + path + L"! ErrorCode: " + std::to_wstring(error);
    std::fputs(platform::AnsiFromWide(line).c_str(), stdout);
    std::fflush(stdout);
}
