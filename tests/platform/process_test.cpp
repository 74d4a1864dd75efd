#include "platform/process.h"

#include "tests/support/ClientTree.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <cerrno>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <sys/wait.h>
#include <thread>

namespace {

using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WidePath;
using testing_support::WriteFileBytes;
namespace fs = std::filesystem;

using Arguments = std::vector<std::wstring>;

TEST(SplitParameters, FollowsTheWindowsCommandLineRules)
{
    EXPECT_EQ(platform::SplitParameters(L""), Arguments{});
    EXPECT_EQ(platform::SplitParameters(L"  -onlymain \t"), Arguments{L"-onlymain"});
    EXPECT_EQ(platform::SplitParameters(L"a  b\tc"), (Arguments{L"a", L"b", L"c"}));
    EXPECT_EQ(platform::SplitParameters(L"\"C:\\Program Files\\x\" next"),
              (Arguments{L"C:\\Program Files\\x", L"next"}));
    EXPECT_EQ(platform::SplitParameters(L"pre\"mid dle\"post"), Arguments{L"premid dlepost"});
    EXPECT_EQ(platform::SplitParameters(L"\"\" x"), (Arguments{L"", L"x"}));
    // Backslashes are literal unless they precede a quote.
    EXPECT_EQ(platform::SplitParameters(L"a\\\\b \\\"q\\\" \\\\\"c d\""),
              (Arguments{L"a\\\\b", L"\"q\"", L"\\c d"}));
    EXPECT_EQ(platform::SplitParameters(L"\"say \"\"hi\"\"\""), Arguments{L"say \"hi\""});
    EXPECT_EQ(platform::SplitParameters(L"\"unterminated arg"), Arguments{L"unterminated arg"});
}

bool WaitForFile(const fs::path& path)
{
    for (int i = 0; i < 500 && !fs::exists(path); ++i)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    // The writer may still be busy; give it a moment to finish its lines.
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    return fs::exists(path);
}

void WriteScript(const fs::path& path, const std::string& body)
{
    WriteFileBytes(path, "#!/bin/sh\n" + body);
    fs::permissions(path, fs::perms::owner_all);
}

// The process has no children left: neither running nor waiting to be reaped.
bool NoChildrenLeft()
{
    return waitpid(-1, nullptr, WNOHANG) < 0 && errno == ECHILD;
}

TEST(ShellOpen, StartsProgramInItsWorkingFolderWithParametersAndLeavesNoChild)
{
    TempDir temp;
    const fs::path work = temp.Path() / "work dir";
    fs::create_directories(work);
    const fs::path report = temp.Path() / "report";
    WriteScript(temp.Path() / "client",
                "{ pwd; for a in \"$@\"; do echo \"[$a]\"; done; } > '" + report.string() + ".tmp'\n"
                "mv '" + report.string() + ".tmp' '" + report.string() + "'\n");

    ASSERT_TRUE(platform::ShellOpen(WidePath(temp.Path() / "client"), L"-onlymain \"two words\" x\\\"y",
                                    WidePath(work)));
    EXPECT_TRUE(NoChildrenLeft());
    ASSERT_TRUE(WaitForFile(report));
    EXPECT_EQ(ReadFileBytes(report), work.string() + "\n[-onlymain]\n[two words]\n[x\"y]\n");
}

TEST(ShellOpen, RelativeProgramNameIsTakenFromTheCallersFolder)
{
    TempDir temp;
    fs::create_directories(temp.Path() / "elsewhere");
    const fs::path report = temp.Path() / "report";
    WriteScript(temp.Path() / "client", "touch '" + report.string() + "'\n");

    const fs::path saved = fs::current_path();
    fs::current_path(temp.Path());
    const bool started = platform::ShellOpen(L"client", L"", WidePath(temp.Path() / "elsewhere"));
    fs::current_path(saved);
    ASSERT_TRUE(started);
    EXPECT_TRUE(WaitForFile(report));
}

TEST(ShellOpen, FailsWhenNothingCanStart)
{
    TempDir temp;
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "absent"), L"", WidePath(temp.Path())));
    WriteScript(temp.Path() / "client", "exit 0\n");
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "client"), L"", WidePath(temp.Path() / "nowhere")));
    // A script whose interpreter is missing cannot be executed.
    WriteFileBytes(temp.Path() / "broken", "#!/no/such/interpreter\n");
    fs::permissions(temp.Path() / "broken", fs::perms::owner_all);
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "broken"), L"", WidePath(temp.Path())));
    EXPECT_TRUE(NoChildrenLeft());
}

// A document is never handed to a file-opening helper, even one on the PATH: it
// fails with the system's reason.
TEST(ShellOpen, NeverOpensADocumentAndSaysWhyNothingStarted)
{
    TempDir temp;
    const fs::path bin = temp.Path() / "bin";
    fs::create_directories(bin);
    const fs::path report = temp.Path() / "opened";
    WriteScript(bin / "xdg-open", "echo \"$1\" > '" + report.string() + "'\n");
    const fs::path document = temp.Path() / "readme.txt";
    WriteFileBytes(document, "text");

    const std::string savedPath = std::getenv("PATH");
    setenv("PATH", bin.c_str(), 1);
    std::wstring failure;
    const bool opened = platform::ShellOpen(WidePath(document), L"ignored", WidePath(temp.Path()), &failure);
    setenv("PATH", savedPath.c_str(), 1);

    EXPECT_FALSE(opened);
    EXPECT_EQ(failure, L"Permission denied");
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "absent"), L"", WidePath(temp.Path()), &failure));
    EXPECT_EQ(failure, L"No such file or directory");
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(report));
}

}  // namespace
