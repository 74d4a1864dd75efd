#include "platform/process.h"
#include "platform/testing/child_process.h"
#include "platform/testing/own_environment.h"
#include "platform/text.h"

#include "tests/support/ClientTree.h"
#include "tests/support/SystemErrors.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <thread>

namespace {

using testing_support::kNoProgramWords;
using testing_support::kNotFoundWords;
using testing_support::kProgramSuffix;
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
    return fs::exists(path);
}

// A started program that reports its current folder and its arguments.
fs::path CopyOfTheProbe(const fs::path& folder)
{
    const fs::path copy = folder / (std::string("client") + kProgramSuffix);
    fs::copy_file(testing_support::TestProgram("vexa-control-probe"), copy);
    return copy;
}

std::wstring Report(const fs::path& report)
{
    return L"report \"" + WidePath(report) + L"\"";
}

TEST(ShellOpen, StartsProgramInItsWorkingFolderWithParametersAndLeavesNoChild)
{
    TempDir temp;
    const fs::path work = temp.Path() / "work dir";
    fs::create_directories(work);
    const fs::path report = temp.Path() / "report";

    ASSERT_TRUE(platform::ShellOpen(WidePath(CopyOfTheProbe(temp.Path())),
                                    Report(report) + L" -onlymain \"two words\" x\\\"y", WidePath(work)));
    EXPECT_TRUE(platform::testing::NoChildrenLeft());
    ASSERT_TRUE(WaitForFile(report));
    EXPECT_EQ(ReadFileBytes(report), work.string() + "\n[-onlymain]\n[two words]\n[x\"y]\n");
}

TEST(ShellOpen, RelativeProgramNameIsTakenFromTheCallersFolder)
{
    TempDir temp;
    fs::create_directories(temp.Path() / "elsewhere");
    const fs::path report = temp.Path() / "report";
    CopyOfTheProbe(temp.Path());

    const fs::path saved = fs::current_path();
    fs::current_path(temp.Path());
    const bool started = platform::ShellOpen(L"client" + platform::WideFromUtf8(kProgramSuffix), Report(report),
                                             WidePath(temp.Path() / "elsewhere"));
    fs::current_path(saved);
    ASSERT_TRUE(started);
    EXPECT_TRUE(WaitForFile(report));
}

TEST(ShellOpen, FailsWhenNothingCanStart)
{
    TempDir temp;
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "absent"), L"", WidePath(temp.Path())));
    EXPECT_FALSE(platform::ShellOpen(WidePath(CopyOfTheProbe(temp.Path())), L"", WidePath(temp.Path() / "nowhere")));
    // A script whose interpreter is missing cannot be executed, nor a program that is none.
    const fs::path broken = temp.Path() / (std::string("broken") + kProgramSuffix);
    WriteFileBytes(broken, "#!/no/such/interpreter\n");
    fs::permissions(broken, fs::perms::owner_all);
    EXPECT_FALSE(platform::ShellOpen(WidePath(broken), L"", WidePath(temp.Path())));
    EXPECT_TRUE(platform::testing::NoChildrenLeft());
}

// A document is never handed to a file-opening helper, even one on the PATH: it
// fails with the system's reason.
TEST(ShellOpen, NeverOpensADocumentAndSaysWhyNothingStarted)
{
    TempDir temp;
    const fs::path bin = temp.Path() / "bin";
    fs::create_directories(bin);
    const fs::path report = temp.Path() / "opened";
    WriteFileBytes(bin / "xdg-open", "#!/bin/sh\necho \"$1\" > '" + report.string() + "'\n");
    fs::permissions(bin / "xdg-open", fs::perms::owner_all);
    const fs::path document = temp.Path() / "readme.txt";
    WriteFileBytes(document, "text");

    const std::string savedPath = std::getenv("PATH");
    platform::testing::SetOwnVariable("PATH", bin.string());
    std::wstring failure;
    const bool opened = platform::ShellOpen(WidePath(document), L"ignored", WidePath(temp.Path()), &failure);
    platform::testing::SetOwnVariable("PATH", savedPath);

    EXPECT_FALSE(opened);
    EXPECT_THAT(failure, ::testing::AnyOfArray(kNoProgramWords));
    EXPECT_FALSE(platform::ShellOpen(WidePath(temp.Path() / "absent"), L"", WidePath(temp.Path()), &failure));
    EXPECT_THAT(failure, ::testing::AnyOfArray(kNotFoundWords));
    std::this_thread::sleep_for(std::chrono::milliseconds(200));
    EXPECT_FALSE(fs::exists(report));
}

}  // namespace
