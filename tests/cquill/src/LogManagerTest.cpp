#include <cstdlib>
#include <fstream>
#include <locale>
#include <sstream>

#include <gtest/gtest.h>

#include "cquill/src/LogManager.h"
#include "cquill/src/bstream.h"
#include "platform/debug_output.h"
#include "platform/module_path.h"
#include "platform/text.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

// The logger is configured once per process, from the folder of the executable, so the lines
// are written by a child run of a copy of this program in a client tree of its own.

namespace {

const char* const childVariable = "CQUILL_LOG_TEST_CHILD";

void WriteProperties(const std::filesystem::path& folder, const std::filesystem::path& logFile)
{
    std::filesystem::create_directories(folder / "SysCfg");
    std::ofstream(folder / "SysCfg" / "log4cplus.properties")
        << "log4cplus.rootLogger=INFO, file\n"
           "log4cplus.appender.file=log4cplus::FileAppender\n"
           "log4cplus.appender.file.File="
        // '/' also on Windows: a backslash starts an escape in a properties file.
        << logFile.generic_string()
        << "\n"
           "log4cplus.appender.file.layout=log4cplus::PatternLayout\n"
           "log4cplus.appender.file.layout.ConversionPattern=%p|%c|%b|%m\n";
}

std::string ReadFile(const std::filesystem::path& path)
{
    std::ifstream in(path);
    std::stringstream text;
    text << in.rdbuf();
    return text.str();
}

}  // namespace

TEST(LogManagerChild, WritesLines)
{
    if (!std::getenv(childVariable))
        GTEST_SKIP() << "runs only as the child of LogManager.LinesReachTheConfiguredLoggerAndDebugOutputItsChannel";
    quill::LogStreamFailure("bstream::>>uint32_t", "not enough data in buffer");
    // Later edits of the configuration are not read: this line still goes to the first file.
    const std::filesystem::path folder = platform::Utf8FromWide(platform::ExecutableFolder());
    WriteProperties(folder, folder / "second.log");
    quill::LogInfo(L"Connecting to %s:%d\n", "127.0.0.1", 8000);
    quill::LogInfo(L"Thread created fail!");
    quill::LogInfo(L"long %s", std::string(2000, 'x').c_str());
    quill::LogLine(log4cplus::DEBUG_LOG_LEVEL, L"not enabled\n");
    const bool chinese = std::use_facet<std::ctype<wchar_t>>(std::locale()).is(std::ctype_base::alpha, L'\u4E2D');
    std::printf("ctype knows Chinese: %d\n", chinese ? 1 : 0);
    platform::DebugOutput("unknown pid:5\n");
}

TEST(LogManager, LinesReachTheLoggerConfiguredBesideTheExecutable)
{
    const testing_support::ClientTree tree(platform::Utf8FromWide(platform::ExecutablePath()), "client");
    const std::filesystem::path folder = tree.ModuleFolder();
#ifdef _WIN32
    // There log4cplus reads the file names of its properties in the system's code page,
    // which need not hold the test folder's non-ASCII name: the log goes to its ASCII parent.
    testing_support::TempDir logs;
    const std::filesystem::path logFolder = logs.Path().parent_path();
#else
    const std::filesystem::path logFolder = folder;
#endif
    WriteProperties(folder, logFolder / "first.log");
    // Someone else's configuration in the folder the client is started from is never read.
    testing_support::TempDir current;
    WriteProperties(current.Path(), current.Path() / "planted.log");

    testing_support::ChildOptions options;
    options.arguments = {"--gtest_filter=LogManagerChild.*"};
    options.environment = {{childVariable, "1"}, {"VEXA_DEBUG_OUTPUT", "stderr"}};
    options.workingFolder = current.Path().string();
    testing_support::ChildProcess child(tree.Program().string(), options);
    ASSERT_TRUE(child.Wait());
    ASSERT_EQ(child.ExitCode(), 0) << child.Stdout() << child.Stderr();
    EXPECT_NE(child.Stdout().find("ctype knows Chinese: 1"), std::string::npos);
    // Text-mode standard error ends the line with "\r\n" on Windows.
    EXPECT_NE(child.Stderr().find("unknown pid:5"), std::string::npos);

    EXPECT_EQ(ReadFile(logFolder / "first.log"),
              "ERROR|mox|bstream.cpp|[bstream::>>uint32_t]not enough data in buffer\n"
              "INFO|mox|LogManagerTest.cpp|Connecting to 127.0.0.1:8000\n"
              "INFO|mox|LogManagerTest.cpp|Thread created fail!"
              "INFO|mox|LogManagerTest.cpp|long " + std::string(1023 - 5, 'x'));
    EXPECT_FALSE(std::filesystem::exists(folder / "second.log"));
    EXPECT_FALSE(std::filesystem::exists(current.Path() / "planted.log"));
}
