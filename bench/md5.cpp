// MD5 throughput: the digest over memory, FileMd5Hex over a file, and Debian's
// md5sum over the same file in the same run. The file is VEXA_BENCH_MD5_FILE
// (bench/md5_vs_md5sum.sh makes a 1 GiB one), else a 256 MiB file made here.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <random>
#include <string>
#include <vector>

#include "vexa/install/Md5.h"

namespace {

class CBenchFile {
public:
    CBenchFile()
    {
        if (const char* given = std::getenv("VEXA_BENCH_MD5_FILE")) {
            path_ = given;
            return;
        }
        path_ = std::filesystem::temp_directory_path() / "vexa-bench-md5.bin";
        owned_ = true;
        std::ofstream out(path_, std::ios::binary);
        std::mt19937_64 generator(42);
        std::vector<std::uint64_t> block(1 << 17);
        for (int i = 0; i < 256; ++i) {
            for (auto& word : block)
                word = generator();
            out.write(reinterpret_cast<const char*>(block.data()), static_cast<std::streamsize>(block.size() * 8));
        }
    }
    ~CBenchFile()
    {
        if (owned_)
            std::filesystem::remove(path_);
    }
    const std::filesystem::path& Path() const { return path_; }
    std::int64_t Size() const { return static_cast<std::int64_t>(std::filesystem::file_size(path_)); }

private:
    std::filesystem::path path_;
    bool owned_ = false;
};

const CBenchFile& BenchFile()
{
    static const CBenchFile file;
    return file;
}

void BM_Md5OverMemory(benchmark::State& state)
{
    std::vector<unsigned char> bytes(64 << 20, 0x5a);
    for (auto _ : state) {
        Md5Context context;
        Md5Init(context);
        Md5Update(context, bytes.data(), bytes.size());
        Md5Digest digest;
        Md5Final(context, digest);
        benchmark::DoNotOptimize(digest);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<std::int64_t>(bytes.size()));
}

void BM_FileMd5Hex(benchmark::State& state)
{
    const std::wstring path = BenchFile().Path().wstring();
    for (auto _ : state)
        benchmark::DoNotOptimize(FileMd5Hex(path));
    state.SetBytesProcessed(state.iterations() * BenchFile().Size());
}

void BM_Md5sum(benchmark::State& state)
{
    const std::string command = "md5sum '" + BenchFile().Path().string() + "' > /dev/null";
    for (auto _ : state)
        if (std::system(command.c_str()) != 0)
            state.SkipWithError("md5sum failed");
    state.SetBytesProcessed(state.iterations() * BenchFile().Size());
}

}  // namespace

BENCHMARK(BM_Md5OverMemory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_FileMd5Hex)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK(BM_Md5sum)->Unit(benchmark::kMillisecond)->UseRealTime()->Iterations(3);
BENCHMARK_MAIN();
