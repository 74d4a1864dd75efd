// Building the download set looks up every file of the new list in the installed
// one. Measures that for 100,000 names in a 100,000-entry list, including the
// index that the list builds as entries are added.
#include <benchmark/benchmark.h>

#include <cwctype>
#include <string>
#include <vector>

#include "vexa/install/FileList.h"

namespace {

constexpr int kEntries = 100000;

std::wstring NameOf(int i)
{
    return L"/Data/Folder" + std::to_wstring(i % 300) + L"/Texture_" + std::to_wstring(i) + L".pak";
}

CFileList MakeList()
{
    CFileList list;
    for (int i = 0; i < kEntries; ++i)
        list.Add(CFileListInfo(NameOf(i), L"0cc175b9c0f1b6a831c399e269772661", i));
    return list;
}

// The other list spells names in another case, and a tenth of them are new files.
std::vector<std::wstring> MakeQueries()
{
    std::vector<std::wstring> queries;
    for (int i = 0; i < kEntries; ++i) {
        std::wstring name = NameOf(i % 10 == 0 ? i + kEntries : i);
        for (wchar_t& c : name)
            c = static_cast<wchar_t>(std::towlower(static_cast<std::wint_t>(c)));
        queries.push_back(name);
    }
    return queries;
}

int LookUpAll(const CFileList& installed, const std::vector<std::wstring>& queries)
{
    CFileListInfo found;
    int hits = 0;
    for (const std::wstring& name : queries)
        hits += FindFileListEntry(installed, name, found);
    return hits;
}

void BM_BuildListAndLookUpEveryName(benchmark::State& state)
{
    const std::vector<std::wstring> queries = MakeQueries();
    for (auto _ : state) {
        const CFileList installed = MakeList();
        benchmark::DoNotOptimize(LookUpAll(installed, queries));
    }
    state.SetItemsProcessed(state.iterations() * kEntries);
}

void BM_LookUpEveryName(benchmark::State& state)
{
    const CFileList installed = MakeList();
    const std::vector<std::wstring> queries = MakeQueries();
    for (auto _ : state)
        benchmark::DoNotOptimize(LookUpAll(installed, queries));
    state.SetItemsProcessed(state.iterations() * kEntries);
}

}  // namespace

BENCHMARK(BM_BuildListAndLookUpEveryName)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_LookUpEveryName)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
