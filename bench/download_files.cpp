// DownloadFiles throughput: every file of one folder of a loopback nginx site
// through DownloadFiles, digests verified as in an update. bench/download_files.sh
// publishes the files, starts nginx, and times this program and curl the same way,
// each as a whole process that reads its list of URLs and fetches them.
//
// download_files list <site folder> <list file>                      untimed: the list a publisher writes
// download_files fetch <list file> <base url> <destination folder>   DownloadFiles of that list
#include "platform/text.h"
#include "vexa/download/DownloadFiles.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The folder's files in sorted order, each with its digest and size.
CFileList ListOf(const std::filesystem::path& site)
{
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(site))
        files.push_back(item.path());
    std::sort(files.begin(), files.end());
    CFileList list;
    for (const auto& file : files) {
        const std::wstring path = platform::WideFromUtf8(file.string());
        list.Add(CFileListInfo(L"/" + platform::WideFromUtf8(file.filename().string()), FileMd5Hex(path),
                               static_cast<std::int64_t>(std::filesystem::file_size(file))));
    }
    return list;
}

int Fetch(const char* listFile, const char* baseUrl, const char* destination)
{
    CFileList list;
    if (!LoadFileList(platform::WideFromUtf8(listFile), list) || list.GetCount() == 0) {
        std::fprintf(stderr, "no list in %s\n", listFile);
        return 1;
    }
    if (!DownloadFiles(list, platform::WideFromUtf8(baseUrl), platform::WideFromUtf8(destination))) {
        std::fprintf(stderr, "DownloadFiles failed: see the update log beside the program\n");
        return 1;
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv)
{
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "list" && argc == 4)
        return WriteFileList(ListOf(argv[2]), platform::WideFromUtf8(argv[3])) ? 0 : 1;
    if (mode == "fetch" && argc == 5)
        return Fetch(argv[2], argv[3], argv[4]);
    std::fprintf(stderr, "usage: download_files list <site folder> <list file>\n"
                         "       download_files fetch <list file> <base url> <destination folder>\n");
    return 2;
}
