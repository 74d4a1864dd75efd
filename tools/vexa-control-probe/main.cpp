#include "platform/clock.h"
#include "platform/files.h"
#include "platform/locale.h"
#include "platform/named_mutex.h"
#include "platform/program_entry.h"
#include "platform/text.h"
#include "vexa/control/ClientStart.h"
#include "vexa/control/FileUtils.h"
#include "vexa/control/UpdateLog.h"
#include "vexa/install/InstallUpdate.h"

#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

// vexa-control-probe log [line...]        each line becomes one log line
// vexa-control-probe needupdate [line...] writes "needupdate.txt" with the lines
// vexa-control-probe open <file> <params>  OpenInRootFolder
// vexa-control-probe install              InstallUpdate; exit code 1 when it failed
// vexa-control-probe lock <name>          prints "held" and keeps the mutex, "exists", or
//                                          "error: " and why the lock cannot be opened
// vexa-control-probe report <file> [arg...] writes its current folder and each [arg] as
//                                          lines into <file>, which appears whole
int ProgramMain(int argc, char** argv)
{
    platform::SetChineseLocale();
    if (argc < 2)
        return 2;
    const std::string mode = argv[1];
    std::vector<std::wstring> lines;
    for (int i = 2; i < argc; ++i)
        lines.push_back(platform::WideFromArgument(argv[i]));

    if (mode == "log") {
        for (const auto& line : lines)
            WriteLog(L"%s", line.c_str());
        return 0;
    }
    if (mode == "needupdate")
        return WriteNeedUpdateFile(lines) ? 0 : 1;
    if (mode == "install") {
        InstallSet installSet;
        return InstallUpdate(installSet) ? 0 : 1;
    }
    if (mode == "open" && lines.size() == 2) {
        OpenInRootFolder(lines[0], lines[1]);
        return 0;
    }
    if (mode == "report" && !lines.empty()) {
        const std::u8string folder = std::filesystem::current_path().u8string();
        std::string report(folder.begin(), folder.end());
        report += '\n';
        for (std::size_t i = 1; i < lines.size(); ++i)
            report += "[" + platform::Utf8FromWide(lines[i]) + "]\n";
        const std::wstring partial = lines[0] + L".partial";
        return platform::WriteNewFile(partial, report, false) && platform::RenamePath(partial, lines[0]) ? 0 : 1;
    }
    if (mode == "lock" && lines.size() == 1) {
        platform::CNamedMutex mutex(lines[0]);
        if (!mutex.Error().empty()) {
            std::printf("error: %s\n", platform::Utf8FromWide(mutex.Error()).c_str());
            return 1;
        }
        std::puts(mutex.AlreadyExists() ? "exists" : "held");
        std::fflush(stdout);
        if (!mutex.AlreadyExists())
            platform::SleepMilliseconds(60000);
        return 0;
    }
    return 2;
}
