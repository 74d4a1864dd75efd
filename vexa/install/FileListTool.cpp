#include "vexa/install/FileListTool.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "platform/directory_walk.h"
#include "platform/files.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/install/Md5.h"

namespace {

void Print(const std::wstring& text)
{
    std::fputs(platform::AnsiFromWide(text).c_str(), stdout);
    std::fflush(stdout);
}

std::wstring WithoutTrailingSeparator(const std::wstring& folder)
{
    return !folder.empty() && folder.back() == L'/' ? folder.substr(0, folder.size() - 1) : folder;
}

bool AskToReplaceExistingList()
{
    const int answer = platform::ShowMessageBox(
        L"发现已经存在filelist.xml文件，确定是否删除并生成新的filelist.xml文件", L"提示",
        platform::kBoxOkCancel | platform::kBoxSystemModal);
    return answer != platform::kAnswerCancel;
}

bool AddFile(CFileList& list, const std::wstring& root, const std::wstring& path, bool quiet)
{
    std::uint32_t size = 0;
    if (!GetFileSize(path, size))
        return false;
    // Only the leading root is cut: the same text deeper in the path is a real folder name.
    list.Add(CFileListInfo(path.substr(root.size()), FileMd5Hex(path), static_cast<std::int32_t>(size)));
    if (!quiet)
        Print(path + L" 生成成功!\n");
    return true;
}

// skippedFolder is empty when no folder is to be left out.
bool CollectFolder(platform::CDirectoryWalk& walk, CFileList& list, const std::wstring& root,
                   const std::wstring& directory, bool quiet, const std::wstring& skippedFolder)
{
    std::vector<platform::FolderEntry> entries;
    switch (walk.Enter(directory.empty() ? L"/" : directory, entries)) {
    case platform::CDirectoryWalk::EnterResult::Failed:
        return false;
    case platform::CDirectoryWalk::EnterResult::Loop:
        return true;
    case platform::CDirectoryWalk::EnterResult::Entered:
        break;
    }
    bool collected = true;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.hidden)
            continue;
        const std::wstring path = directory + L"/" + entry.name;
        if (entry.kind == platform::EntryKind::Folder) {
            if (!skippedFolder.empty() && EqualIgnoringCase(path, skippedFolder))
                continue;
            collected = CollectFolder(walk, list, root, path, quiet, skippedFolder);
        } else if (entry.kind == platform::EntryKind::File) {
            collected = AddFile(list, root, path, quiet);
        }
        if (!collected)
            break;
    }
    walk.Leave();
    return collected;
}

}  // namespace

bool CollectFiles(CFileList& list, const std::wstring& root, const std::wstring& directory, bool quiet,
                  bool skipOwnFolder)
{
    platform::CDirectoryWalk walk;
    const std::wstring skippedFolder = skipOwnFolder ? WithoutTrailingSeparator(GetModuleFolder()) : std::wstring();
    return CollectFolder(walk, list, root, directory, quiet, skippedFolder);
}

void GenerateFileList(bool force, bool quiet, bool skipOwnFolder)
{
    if (!quiet)
        Print(L"正在生成filelist.xml,请稍后...\n");

    const std::wstring output = GetLocalFileListPath();
    if (FileExists(output)) {
        if (!force && !AskToReplaceExistingList())
            return;
        platform::RemoveFile(output);
    }

    CFileList list;
    const std::wstring root = WithoutTrailingSeparator(GetRootFolder());
    if (!CollectFiles(list, root, root, quiet, skipOwnFolder)) {
        if (!quiet)
            Print(L"生成失败!");
        return;
    }
    const bool written = WriteFileList(list, output);
    if (!quiet)
        Print(written ? L"生成filelist.xml文件全部成功!" : L"保存filelist.xml文件失败!");
}
