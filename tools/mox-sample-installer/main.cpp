// mox-sample-installer: what the updater starts for the installer method. It appends
// the line "installer" to the file named by MOX_SAMPLE_CLIENT_LOG, beside the sample
// client's own lines, so a test sees in one file which programs started and in which
// order. Bytes appended to the program after its end do not change what it does.
#include "platform/environment.h"
#include "platform/files.h"
#include "platform/program_entry.h"
#include "platform/text.h"

#include <cstdio>
#include <string>

int ProgramMain(int, char**)
{
    const std::string logPath = platform::EnvironmentVariable("MOX_SAMPLE_CLIENT_LOG");
    if (logPath.empty())
        return 1;
    std::FILE* log = platform::OpenFileStream(platform::WideFromUtf8(logPath), "ab");
    if (!log)
        return 1;
    std::fprintf(log, "installer\n");
    return std::fclose(log) == 0 ? 0 : 1;
}
