// Building the download set from two 100,000-entry file lists, as the updater does
// after fetching the new version's list: read the installed list, load the new
// one, and keep the entries whose digest changed (one file in a hundred). The
// lists are written where the updater looks for them, beside this program, and
// removed when it ends.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "platform/files.h"
#include "vexa/control/CUpdateConfig.h"
#include "vexa/control/ModuleFolders.h"
#include "vexa/install/DownloadSet.h"
#include "vexa/install/FileList.h"

namespace {

constexpr int kEntries = 100000;

void WriteList(const std::wstring& path, bool changed)
{
    std::filesystem::create_directories(std::filesystem::path(platform::NativePath(path)).parent_path());
    std::ofstream out(platform::NativePath(path), std::ios::binary);
    out << "<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<Root>\r\n<FileList>\r\n";
    char entry[512];
    for (int i = 0; i < kEntries; ++i) {
        const unsigned digest = changed && i % 100 == 0 ? i * 2654435761u + 1 : i * 2654435761u;
        const int length = std::snprintf(
            entry, sizeof entry,
            "<File>\r\n<FileName>/data/assets/pack%03d/textures/environment_%06d.pak</FileName>\r\n"
            "<Md5>%08x%08x%08x%08x</Md5>\r\n<Size>%d</Size>\r\n</File>\r\n",
            i % 1000, i, digest, i ^ 0x5bd1e995, i * 40503u, i + 7, i * 37 + 1024);
        out.write(entry, length);
    }
    out << "</FileList>\r\n</Root>\r\n";
}

// The installed list, the downloaded configuration naming the new version, and
// the new version's list, in the updater's places; removed again at the end.
class CListsInPlace {
public:
    CListsInPlace()
    {
        std::filesystem::create_directories(platform::NativePath(GetTempDownloadFolder()));
        std::ofstream(platform::NativePath(GetDownloadedConfigPath()), std::ios::binary)
            << "<?xml version=\"1.0\" encoding=\"UTF-8\" ?>\n<Config><CurVersion>2.0.0</CurVersion></Config>\n";
        WriteList(GetLocalFileListPath(), false);
        WriteList(GetUpdateConfig().GetNewFileListPath(), true);
    }
    ~CListsInPlace()
    {
        std::filesystem::remove_all(platform::NativePath(GetTempDownloadFolder()));
        std::filesystem::remove(platform::NativePath(GetLocalFileListPath()));
    }
};

void BM_BuildDownloadSet(benchmark::State& state)
{
    const CListsInPlace lists;
    for (auto _ : state) {
        CFileList set;
        if (!BuildDownloadSet(set) || set.GetCount() != kEntries / 100)
            state.SkipWithError("wrong download set");
        benchmark::DoNotOptimize(set.GetCount());
    }
}

BENCHMARK(BM_BuildDownloadSet)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
