#include "HandOver.h"

#include "platform/clock.h"
#include "platform/codepage.h"
#include "platform/files.h"
#include "platform/text.h"

#include <cstdio>
#include <vector>

namespace {

const unsigned kHandOverCodePage = 936;

std::string ReadAll(const std::wstring& path)
{
    std::string bytes;
    std::FILE* file = platform::OpenFileStream(path, "rb");
    if (!file)
        return bytes;
    char block[4096];
    std::size_t got = 0;
    while ((got = std::fread(block, 1, sizeof block, file)) > 0)
        bytes.append(block, got);
    std::fclose(file);
    return bytes;
}

// Lines end in CR CR LF on disk; empty lines carry nothing.
std::vector<std::wstring> ReadLines(const std::wstring& path)
{
    std::wstring text;
    platform::CodePageToWide(kHandOverCodePage, ReadAll(path), text);
    std::vector<std::wstring> lines;
    std::wstring line;
    for (const wchar_t c : text + L"\n") {
        if (c == L'\n') {
            if (!line.empty())
                lines.push_back(line);
            line.clear();
        } else if (c != L'\r') {
            line += c;
        }
    }
    return lines;
}

// Each piece must stay one plain name inside its folder.
bool IsPlainName(const std::wstring& name)
{
    return !name.empty() && name != L"." && name != L".." && name.find_first_of(L"/\\") == std::wstring::npos;
}

// The updater starts the client just before it ends, and on Windows a running
// program's file cannot be replaced: a copy that fails is tried again while the
// updater may still be ending, for ten seconds at most.
bool CopyOverWhenFree(const std::wstring& from, const std::wstring& to)
{
    for (int attempt = 0; attempt < 100; ++attempt) {
        if (platform::CopyFileOver(from, to))
            return true;
        platform::SleepMilliseconds(100);
    }
    return false;
}

}  // namespace

std::string FinishSelfUpdate(const std::wstring& clientFolder)
{
    const std::wstring updaterFolder = clientFolder + L"vexa/";
    const std::wstring handOver = updaterFolder + L"needupdate.txt";
    const std::vector<std::wstring> lines = ReadLines(handOver);
    if (lines.empty() || !IsPlainName(lines[0]))
        return "-updatevexa: no hand-over in vexa/needupdate.txt";
    const std::wstring source = updaterFolder + L"tempDownload/" + lines[0] + L"/vexa/";
    std::wstring names;
    for (std::size_t i = 1; i < lines.size(); ++i) {
        if (!IsPlainName(lines[i]) || !CopyOverWhenFree(source + lines[i], updaterFolder + lines[i]))
            return "-updatevexa: cannot replace vexa/" + platform::Utf8FromWide(lines[i]);
        names += L" " + lines[i];
    }
    platform::RemoveFile(handOver);
    platform::DeleteTree(updaterFolder + L"tempDownload");
    return "-updatevexa: " + platform::Utf8FromWide(lines[0]) + ":" + platform::Utf8FromWide(names);
}
