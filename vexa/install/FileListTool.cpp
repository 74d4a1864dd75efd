#include "vexa/install/FileListTool.h"

#include <cstdint>
#include <cstdio>
#include <utility>
#include <vector>

#include "platform/directory_walk.h"
#include "platform/message_box.h"
#include "platform/text.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/install/CFileDigester.h"
#include "vexa/install/CleanFileName.h"

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

// What a walk leaves out besides hidden entries.
struct Exclusions {
    std::wstring folder;  // the updater's own folder with -s, else empty
    std::wstring output;  // the list being replaced, which is no file of the client
};

// What the walk found, in walk order: the files, and the message of the failure
// that stopped it early (empty when it went through).
struct WalkResult {
    std::vector<std::wstring> files;
    std::wstring failure;
};

// A name that is not UTF-8 would reach the list changed; any other must pass the
// updater's own check, so that no client refuses the list written.
bool ListCanCarry(const platform::FolderEntry& entry)
{
    return entry.exactName && IsCleanFileName(L"/" + entry.name);
}

bool WalkFolder(platform::CDirectoryWalk& walk, const std::wstring& directory, const Exclusions& excluded,
                WalkResult& found)
{
    std::vector<platform::FolderEntry> entries;
    switch (walk.Enter(directory.empty() ? L"/" : directory, entries)) {
    case platform::CDirectoryWalk::EnterResult::Failed:
        found.failure = L"无法读取文件夹: " + directory + L"! ErrorCode: " + std::to_wstring(walk.LastError()) + L"\n";
        return false;
    case platform::CDirectoryWalk::EnterResult::Loop:
        return true;
    case platform::CDirectoryWalk::EnterResult::Entered:
        break;
    }
    bool walked = true;
    for (const platform::FolderEntry& entry : entries) {
        if (entry.hidden || entry.kind == platform::EntryKind::Other)
            continue;
        const std::wstring path = directory + L"/" + entry.name;
        if (entry.kind == platform::EntryKind::Folder && !excluded.folder.empty() &&
            EqualIgnoringCase(path, excluded.folder))
            continue;
        if (entry.kind == platform::EntryKind::File && path == excluded.output)
            continue;
        if (!ListCanCarry(entry)) {
            found.failure = L"文件名无法写入filelist.xml: " + path + L"\n";
            walked = false;
        } else if (entry.kind == platform::EntryKind::Folder) {
            walked = WalkFolder(walk, path, excluded, found);
        } else {
            found.files.push_back(path);
        }
        if (!walked)
            break;
    }
    walk.Leave();
    return walked;
}

// Adds the files in walk order while workers measure and digest the ones ahead;
// false at the first file that cannot be measured.
bool ListFiles(CFileList& list, const std::wstring& root, const std::vector<std::wstring>& files, bool quiet,
               unsigned threads)
{
    CFileDigester digester(files, threads);
    for (const std::wstring& path : files) {
        FileFacts facts = digester.Next();
        if (!facts.measured) {
            ReportFileSizeFailure(path, facts.sizeError);
            return false;
        }
        // Only the leading root is cut: the same text deeper in the path is a real folder name.
        list.Add(CFileListInfo(path.substr(root.size()), std::move(facts.md5), static_cast<std::int64_t>(facts.size)));
        if (!quiet)
            Print(path + L" 生成成功!\n");
    }
    return true;
}

}  // namespace

ListedTree TreeToList(const std::wstring& tree)
{
    if (tree.empty())
        return {WithoutTrailingSeparator(GetRootFolder()), WithoutTrailingSeparator(GetModuleFolder()),
                GetLocalFileListPath()};
    // The updater's folder of a published tree has the name the list's URL gives it.
    const std::wstring root = WithoutTrailingSeparator(tree);
    return {root, root + L"/vexa", root + L"/vexa/filelist.xml"};
}

bool CollectFiles(CFileList& list, const ListedTree& listed, const std::wstring& directory, bool quiet,
                  bool skipOwnFolder, unsigned threads)
{
    Exclusions excluded;
    if (skipOwnFolder)
        excluded.folder = listed.updaterFolder;
    excluded.output = listed.output;
    platform::CDirectoryWalk walk;
    WalkResult found;
    WalkFolder(walk, directory, excluded, found);
    // Files met before a walk failure are listed and reported first, as in one pass.
    if (!ListFiles(list, listed.root, found.files, quiet, threads))
        return false;
    if (found.failure.empty())
        return true;
    Print(found.failure);
    return false;
}

bool GenerateFileList(bool force, bool quiet, bool skipOwnFolder, const std::wstring& tree)
{
    if (!quiet)
        Print(L"正在生成filelist.xml,请稍后...\n");

    // The old list stays until the new one is renamed over it, so a failed
    // generation leaves the publisher the list they had.
    const ListedTree listed = TreeToList(tree);
    if (FileExists(listed.output) && !force && !AskToReplaceExistingList())
        return true;

    CFileList list;
    if (!CollectFiles(list, listed, listed.root, quiet, skipOwnFolder)) {
        if (!quiet)
            Print(L"生成失败!");
        return false;
    }
    const bool written = WriteFileList(list, listed.output);
    if (!quiet)
        Print(written ? L"生成filelist.xml文件全部成功!" : L"保存filelist.xml文件失败!");
    return written;
}
