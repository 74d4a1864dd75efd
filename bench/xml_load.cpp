// Load-and-walk of a 100,000-entry file list: our document through its cursor, and
// tinyxml2 on the same file in the same run; and building such a list by appending.
#include "vexa/xml/CXmlDocument.h"

#include <benchmark/benchmark.h>
#include <tinyxml2.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

constexpr int kEntries = 100000;

const std::filesystem::path& FileListPath()
{
    static const std::filesystem::path path = [] {
        const auto file = std::filesystem::temp_directory_path() / "vexa_bench_filelist.xml";
        std::ofstream out(file, std::ios::binary);
        out << "<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n<Root>\r\n<FileList>\r\n";
        char entry[512];
        for (int i = 0; i < kEntries; ++i) {
            const int length = std::snprintf(
                entry, sizeof entry,
                "<File>\r\n<FileName>/data/assets/pack%03d/textures/environment_%06d.pak</FileName>\r\n"
                "<Md5>%08x%08x%08x%08x</Md5>\r\n<Size>%d</Size>\r\n</File>\r\n",
                i % 1000, i, i * 2654435761u, i ^ 0x5bd1e995, i * 40503u, i + 7, i * 37 + 1024);
            out.write(entry, length);
        }
        out << "</FileList>\r\n</Root>\r\n";
        return file;
    }();
    return path;
}

void BM_CXmlDocument(benchmark::State& state)
{
    const std::wstring path = FileListPath().wstring();
    for (auto _ : state) {
        CXmlDocument document;
        if (!document.LoadFile(path))
            state.SkipWithError("load failed");
        std::size_t characters = 0;
        document.FindElement();
        document.EnterElement();
        document.FindElement(L"FileList");
        document.EnterElement();
        while (document.FindElement(L"File")) {
            document.FindChildElement(L"FileName");
            characters += document.GetChildText().size();
            document.FindChildElement(L"Md5");
            characters += document.GetChildText().size();
            document.FindChildElement(L"Size");
            characters += document.GetChildText().size();
        }
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(std::filesystem::file_size(FileListPath())));
}

void BM_TinyXml2(benchmark::State& state)
{
    const std::string path = FileListPath().string();
    for (auto _ : state) {
        tinyxml2::XMLDocument document;
        if (document.LoadFile(path.c_str()) != tinyxml2::XML_SUCCESS)
            state.SkipWithError("load failed");
        std::size_t characters = 0;
        const auto* list = document.RootElement()->FirstChildElement("FileList");
        for (const auto* file = list->FirstChildElement("File"); file; file = file->NextSiblingElement("File")) {
            for (const char* field : {"FileName", "Md5", "Size"}) {
                const char* text = file->FirstChildElement(field)->GetText();
                characters += text ? std::char_traits<char>::length(text) : 0;
            }
        }
        benchmark::DoNotOptimize(characters);
    }
    state.SetBytesProcessed(state.iterations() * static_cast<long long>(std::filesystem::file_size(FileListPath())));
}

// Appending 100,000 File entries one after another, as the file-list tool does.
void BM_BuildFileList(benchmark::State& state)
{
    for (auto _ : state) {
        CXmlDocument document;
        document.SetText(L"<?xml version=\"1.0\" encoding=\"UTF-8\" ?> \n");
        document.AddElement(L"Root");
        document.AddChildElement(L"FileList");
        document.EnterElement();
        for (int i = 0; i < kEntries; ++i) {
            document.AddChildElement(L"File");
            document.EnterElement();
            document.AddChildElement(L"FileName", L"/data/assets/pack/textures/environment_" + std::to_wstring(i));
            document.AddChildElement(L"Md5", L"0123456789abcdef0123456789abcdef");
            document.AddChildElement(L"Size", std::to_wstring(i));
            document.LeaveElement();
        }
        benchmark::DoNotOptimize(document.GetText().size());
    }
}

BENCHMARK(BM_CXmlDocument)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_TinyXml2)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BuildFileList)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
