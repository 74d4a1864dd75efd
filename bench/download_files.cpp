// DownloadFiles throughput: every file of one folder of a loopback nginx site
// through DownloadFiles, digests verified as in an update. bench/download_files.sh
// publishes the files, starts nginx and times curl on the same URLs in the same run.
//
// download_files <site folder> <base url> <destination folder>
// prints "<files> files, <MiB> MiB in <seconds> s"
#include "platform/text.h"
#include "vexa/download/DownloadFiles.h"
#include "vexa/install/FileList.h"
#include "vexa/install/Md5.h"

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

namespace {

// The list a publisher would write for the folder, names in sorted order.
CFileList ListOf(const std::filesystem::path& site, std::uint64_t& bytes)
{
    std::vector<std::filesystem::path> files;
    for (const auto& item : std::filesystem::directory_iterator(site))
        files.push_back(item.path());
    std::sort(files.begin(), files.end());
    CFileList list;
    bytes = 0;
    for (const auto& file : files) {
        const std::wstring path = platform::WideFromUtf8(file.string());
        const auto size = std::filesystem::file_size(file);
        bytes += size;
        list.Add(CFileListInfo(L"/" + platform::WideFromUtf8(file.filename().string()), FileMd5Hex(path),
                               static_cast<std::int64_t>(size)));
    }
    return list;
}

}  // namespace

int main(int argc, char** argv)
{
    if (argc != 4) {
        std::fprintf(stderr, "usage: download_files <site folder> <base url> <destination folder>\n");
        return 2;
    }
    std::uint64_t bytes = 0;
    const CFileList list = ListOf(argv[1], bytes);
    const auto start = std::chrono::steady_clock::now();
    const bool done = DownloadFiles(list, platform::WideFromUtf8(argv[2]), platform::WideFromUtf8(argv[3]));
    const std::chrono::duration<double> elapsed = std::chrono::steady_clock::now() - start;
    if (!done) {
        std::fprintf(stderr, "DownloadFiles failed: see the update log beside the program\n");
        return 1;
    }
    std::printf("%zu files, %.1f MiB in %.3f s\n", list.GetCount(), static_cast<double>(bytes) / (1 << 20),
                elapsed.count());
    return 0;
}
