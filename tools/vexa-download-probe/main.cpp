#include "platform/locale.h"
#include "platform/program_entry.h"
#include "platform/text.h"
#include "vexa/download/DownloadFile.h"
#include "vexa/download/DownloadFiles.h"
#include "vexa/download/TransferOptions.h"
#include "vexa/install/DownloadSet.h"
#include "vexa/install/FileList.h"

#include <cstdio>
#include <cstdlib>
#include <string>

namespace {

std::wstring Wide(const char* text)
{
    return platform::WideFromUtf8(text);
}

int PrintDownloadSet()
{
    CFileList set;
    if (!BuildDownloadSet(set))
        return 1;
    for (const CFileListInfo& entry : set)
        std::printf("%s\n", platform::Utf8FromWide(entry.GetFileName()).c_str());
    return 0;
}

}  // namespace

// VEXA_TEST_TRANSFER_SECONDS shortens the transfer limits for tests of a stalled server.
//
// vexa-download-probe file <url> <path> [size cap]        DownloadFile without dialog; with
//                                                          a cap, as a small file (whole-time limit)
// vexa-download-probe files <list.xml> <base url> <local base>   DownloadFiles of the list
// vexa-download-probe set                                  prints BuildDownloadSet's names
// vexa-download-probe newlist                              DownloadNewFileList
// Exit code 0 when the operation returned true, 1 when false, 2 for a bad call.
int ProgramMain(int argc, char** argv)
{
    platform::SetChineseLocale();
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    if (mode == "file" && (argc == 4 || argc == 5)) {
        const std::uint64_t cap = argc == 5 ? std::strtoull(argv[4], nullptr, 10) : CDownloadSink::kNoCap;
        const TransferKind kind = argc == 5 ? TransferKind::SmallFile : TransferKind::LargeFile;
        return DownloadFile(Wide(argv[2]), Wide(argv[3]), false, cap, kind) ? 0 : 1;
    }
    if (mode == "files" && argc == 5) {
        CFileList list;
        ReadFileList(Wide(argv[2]), list);
        return DownloadFiles(list, Wide(argv[3]), Wide(argv[4])) ? 0 : 1;
    }
    if (mode == "set" && argc == 2)
        return PrintDownloadSet();
    if (mode == "newlist" && argc == 2)
        return DownloadNewFileList() ? 0 : 1;
    return 2;
}
