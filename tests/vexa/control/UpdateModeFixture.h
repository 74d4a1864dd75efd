#pragma once
// The real updater's update mode in a client tree against nginx, the sample client
// as the game client ("mox.exe") and the script UI answering.
#include "platform/text.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/ClientVersion.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"
#include "tests/support/TestProgram.h"
#include "tests/support/UpdateLogText.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <filesystem>
#include <initializer_list>
#include <optional>
#include <thread>

namespace update_mode_testing {

using namespace std::chrono_literals;
namespace fs = std::filesystem;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::DifferingFiles;
using testing_support::LogMessages;
using testing_support::NginxServer;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::VersionFiles;
using testing_support::WriteFileBytes;
using testing_support::WriteVersionFiles;
using testing_support::WriteVersionList;

inline const std::string kSampleClient = testing_support::TestProgram("mox-sample-client");
inline const VersionFiles kOld = {{"/a.txt", "old a"}, {"/keep.txt", "same"}};
// Installers and patches come at 256 KiB/s past their first 256 KiB, so a scripted
// press catches a larger one on its way.
inline const testing_support::Throttle kSlowInstallers{"(Installer\\.exe|\\.patch)$", 256 * 1024};

// A shell script that reports its start and ends before its padding, which makes it
// large enough to be caught on its way from the throttled server.
inline std::string InstallerScript()
{
    return "#!/bin/sh\necho installer >> \"$MOX_SAMPLE_CLIENT_LOG\"\nexit 0\n" + std::string(1024 * 1024, '#') + "\n";
}

class UpdateModeTest : public ::testing::Test {
protected:
    UpdateModeTest()
    {
        WriteVersionFiles(tree.Root(), kOld);
        EXPECT_TRUE(WriteVersionList(tree.Root(), kOld, tree.ModuleFolder() / "filelist.xml"));
        fs::copy_file(kSampleClient, tree.Root() / "mox.exe");
        WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config("1.0.0", "0.0.0"));
    }

    std::string Config(const std::string& version, const std::string& minimum,
                       const std::string& method = "filelist") const
    {
        const std::string url = server.BaseUrl() + "MOXUpdate";
        return "<vexa>\n  <StartExecute>mox.exe</StartExecute>\n  <MinVersion>" + minimum +
               "</MinVersion>\n  <SelfUrl>" + url + "</SelfUrl>\n  <ProductCode>MOX</ProductCode>\n  <DownloadUrl>" +
               url + "</DownloadUrl>\n  <UpdateMethod>" + method + "</UpdateMethod>\n  <CurVersion>" + version +
               "</CurVersion>\n</vexa>\n";
    }

    fs::path VersionSite() const { return server.SiteRoot() / "MOXUpdate" / "MOX" / "1.1.0"; }
    fs::path VersionDownload() const { return tree.ModuleFolder() / "tempDownload" / "1.1.0"; }

    void Publish(const std::string& minimum, const VersionFiles& files, const std::string& method = "filelist")
    {
        server.Publish("MOXUpdate/MOX/vexa.xml", Config("1.1.0", minimum, method));
        WriteVersionFiles(VersionSite(), files);
        ASSERT_TRUE(WriteVersionList(VersionSite(), files, VersionSite() / "vexa" / "filelist.xml"));
    }

    // The updater as the launcher starts it, without waiting.
    ChildOptions UpdateOptions(const std::string& transcript = "ui.jsonl") const
    {
        ChildOptions options;
        options.arguments = {"update"};
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_SCRIPT", (scratch.Path() / "ui.script").string()},
                               {"VEXA_UI_LOG", (scratch.Path() / transcript).string()},
                               {"MOX_SAMPLE_CLIENT_LOG", ClientLog().string()}};
        return options;
    }

    int RunUpdate(const std::string& script = "")
    {
        WriteFileBytes(scratch.Path() / "ui.script", script);
        ChildProcess vexa(tree.Program().string(), UpdateOptions());
        EXPECT_TRUE(vexa.Wait(120s));
        return vexa.ExitCode();
    }

    // The update run in a mount namespace of its own with "tempDownload" on a tmpfs of
    // that many KiB: the names of the files the tmpfs held after the run, sorted, or
    // nothing where no tmpfs can be mounted (no privilege).
    std::optional<std::string> RunUpdateOnSmallDisk(int kib)
    {
        const fs::path folder = tree.ModuleFolder() / "tempDownload";
        const fs::path listing = scratch.Path() / "small-disk.txt";
        fs::create_directories(folder);
        WriteFileBytes(scratch.Path() / "ui.script", "");
        ChildOptions options = UpdateOptions();
        options.arguments = {"-m", "sh", "-c",
                             "mount -t tmpfs -o size=" + std::to_string(kib) +
                                 "k tmpfs \"$1\" 2>/dev/null || exit 0; \"$2\" update; cd \"$1\" && find . -type f | LC_ALL=C sort > \"$3\"",
                             "sh", folder.string(), tree.Program().string(), listing.string()};
        ChildProcess vexa("/usr/bin/unshare", options);
        EXPECT_TRUE(vexa.Wait(120s));
        if (!fs::exists(listing))
            return std::nullopt;
        return ReadFileBytes(listing);
    }

    fs::path ClientLog() const { return scratch.Path() / "client.log"; }
    // What the started programs reported, once they have reported that many lines
    // (a self-update copies the whole updater first) and a little longer, so that a
    // second start would show.
    std::string Client(std::size_t lines = 1) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        const auto count = [&] {
            const std::string text = ReadFileBytes(ClientLog());
            return static_cast<std::size_t>(std::count(text.begin(), text.end(), '\n'));
        };
        while (count() < lines && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        std::this_thread::sleep_for(200ms);
        return ReadFileBytes(ClientLog());
    }
    // True once the started programs have reported the line, within a minute.
    bool ClientReported(const std::string& line) const
    {
        const auto deadline = std::chrono::steady_clock::now() + 60s;
        while (("\n" + ReadFileBytes(ClientLog())).find("\n" + line + "\n") == std::string::npos) {
            if (std::chrono::steady_clock::now() >= deadline)
                return false;
            std::this_thread::sleep_for(10ms);
        }
        return true;
    }
    std::string Transcript() const { return ReadFileBytes(scratch.Path() / "ui.jsonl"); }
    bool InTranscript(const std::string& event) const { return Transcript().find(event + "\n") != std::string::npos; }
    // True when the events are in the transcript in this order.
    bool InTranscriptInOrder(std::initializer_list<std::string> events) const
    {
        const std::string transcript = Transcript();
        std::size_t at = 0;
        for (const std::string& event : events) {
            at = transcript.find(event + "\n", at);
            if (at == std::string::npos)
                return false;
        }
        return true;
    }
    std::vector<std::wstring> Log() const { return LogMessages(tree.ModuleFolder() / "log" / "update.log"); }
    bool Logged(const std::wstring& line) const
    {
        const auto lines = Log();
        return std::find(lines.begin(), lines.end(), line) != lines.end();
    }
    // True when the lines were logged in this order, with any others between them.
    bool LoggedInOrder(std::initializer_list<std::wstring> expected) const
    {
        const auto lines = Log();
        auto at = lines.begin();
        for (const std::wstring& line : expected) {
            at = std::find(at, lines.end(), line);
            if (at == lines.end())
                return false;
            ++at;
        }
        return true;
    }
    // A path as the updater writes it in its log.
    std::wstring Wide(const fs::path& path) const { return testing_support::UpdaterPath(path); }

    TempDir runtime;
    TempDir scratch;
    NginxServer server{std::nullopt, kSlowInstallers};
    ClientTree tree{VEXA_BINARY};
};

}  // namespace update_mode_testing
