#include "cquill/src/LogManager.h"

#include <cstdio>
#include <locale>
#include <sstream>
#include <stdexcept>

#include <log4cplus/configurator.h>
#include <log4cplus/initializer.h>

#include "platform/files.h"
#include "platform/module_path.h"
#include "platform/text.h"

namespace quill {

namespace {

// Candidates for the locale the system calls "chs", best first.
const char* const chineseLocales[] = {"zh_CN.GB18030", "zh_CN.GBK", "zh_CN.UTF-8", "C.UTF-8"};

std::locale ChineseLocale()
{
    for (const char* name : chineseLocales) {
        try {
            return std::locale(name);
        } catch (const std::runtime_error&) {
        }
    }
    return std::locale::classic();
}

// Character classification follows the Chinese locale in every stream created from now on.
void UseChineseCharacterClassification()
{
    std::locale::global(std::locale(std::locale(), ChineseLocale(), std::locale::ctype));
}

// The configuration's bytes, read through the platform layer: log4cplus would open the
// name in the system's code page on Windows, which need not hold the client's folder.
std::string ReadProperties(const std::wstring& path)
{
    std::string bytes;
    if (std::FILE* file = platform::OpenFileStream(path, "rb")) {
        char buffer[4096];
        for (std::size_t got; (got = std::fread(buffer, 1, sizeof buffer, file)) > 0;)
            bytes.append(buffer, got);
        std::fclose(file);
    }
    return bytes;
}

}  // namespace

CLogManager& CLogManager::Instance()
{
    // Created under the runtime's initialisation guard on first use, destroyed at unload.
    static CLogManager instance;
    return instance;
}

CLogManager::CLogManager()
{
    UseChineseCharacterClassification();
    log4cplus::initialize();
    // Beside the client's executable, not in the current folder: a client started from a
    // folder someone else can write would run their configuration, which names files to write.
    const std::wstring properties = platform::ExecutableFolder() + L"SysCfg/log4cplus.properties";
    // Without the file there is nothing to configure, and log4cplus would complain on the
    // client's standard error about the file and about loggers without appenders.
    configured_ = platform::FileExists(properties);
    if (configured_) {
        // Read once: later edits are ignored.
        std::istringstream text(ReadProperties(properties));
        log4cplus::PropertyConfigurator configurator{log4cplus::helpers::Properties(text)};
        configurator.configure();
    }
    for (const char* name : {"mox", "mox.draw", "mox.ui", "mox.indicator", "mox.base", "mox.mainframe"})
        loggers_.push_back(log4cplus::Logger::getInstance(name));
}

void WriteLogLine(log4cplus::LogLevel level, std::wstring_view line, const LogSite& where)
{
    CLogManager::Instance().LibraryLogger().forcedLog(level, platform::Utf8FromWide(line), where.file, where.line,
                                                      where.function);
}

}  // namespace quill
