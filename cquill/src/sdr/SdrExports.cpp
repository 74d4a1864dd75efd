#include "cquill.h"
#include "cquill/src/sdr/CSdrInterfaceProxy.h"
#include "cquill/src/sdr/SDRLog.h"

#include <new>
#include <string>

using quill::sdr::DirectoryLog;

extern "C" CQUILL_API void InitialSDR()
{
    quill::sdr::InitialiseDirectoryLog();
}

extern "C" CQUILL_API ISDR* CreateISdr()
{
    const std::string rule(51, '-');
    const std::string title = std::string(20, ' ') + "CreateISdr" + std::string(21, ' ');
    for (const std::string* line : {&rule, &title, &rule}) {
        DirectoryLog().Write(*line);
        DirectoryLog().Write("\n");
    }
    return new (std::nothrow) quill::sdr::CSdrInterfaceProxy();
}
