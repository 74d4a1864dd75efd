#pragma once
// The real updater in a temporary client tree, started by tests in its check mode
// beside the sample client's window, against nginx serving the published configuration.
#include "platform/text.h"
#include "platform/window_messages.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/NginxServer.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <filesystem>
#include <memory>
#include <thread>

namespace check_mode_testing {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::ClientTree;
using testing_support::NginxServer;
using testing_support::ReadFileBytes;
using testing_support::TempDir;
using testing_support::WriteFileBytes;

inline const std::string kSampleClient = TEST_BIN_DIR "/mox-sample-client";

inline std::string Config(const std::string& selfUrl, const std::string& curVersion, const std::string& minVersion = "")
{
    std::string xml = "<vexa>\n  <StartExecute>mox.exe</StartExecute>\n";
    if (!minVersion.empty())
        xml += "  <MinVersion>" + minVersion + "</MinVersion>\n";
    xml += "  <SelfUrl>" + selfUrl + "</SelfUrl>\n  <ProductCode>MOX</ProductCode>\n"
           "  <UpdateMethod>filelist</UpdateMethod>\n  <CurVersion>" + curVersion + "</CurVersion>\n</vexa>\n";
    return xml;
}

// The log is UTF-16LE; comparing encoded bytes avoids decoding it.
inline std::string Utf16Le(const std::wstring& text)
{
    std::string bytes;
    for (wchar_t c : text) {
        bytes += static_cast<char>(c & 0xFF);
        bytes += static_cast<char>((c >> 8) & 0xFF);
    }
    return bytes;
}

// Each test has its own runtime folder, so its windows and single-instance lock
// are private to it even when test programs run in parallel.
class CheckModeTest : public ::testing::Test {
protected:
    void SetUp() override { setenv("XDG_RUNTIME_DIR", runtime.Path().c_str(), 1); }
    void TearDown() override { unsetenv("XDG_RUNTIME_DIR"); }

    std::string SelfUrl() const { return server.BaseUrl() + "MOXUpdate"; }
    void Install(const std::string& version, const std::string& selfUrl = "")
    {
        WriteFileBytes(tree.ModuleFolder() / "vexa.xml", Config(selfUrl.empty() ? SelfUrl() : selfUrl, version));
    }
    void PublishVersion(const std::string& version, const std::string& minimum)
    {
        server.Publish("MOXUpdate/MOX/vexa.xml", Config(SelfUrl(), version, minimum));
    }

    ChildOptions Options(std::vector<std::string> arguments) const
    {
        ChildOptions options;
        options.arguments = std::move(arguments);
        options.environment = {{"XDG_RUNTIME_DIR", runtime.Path().string()},
                               {"VEXA_UI", "script"},
                               {"VEXA_UI_LOG", Transcript().string()}};
        return options;
    }

    std::unique_ptr<ChildProcess> OpenClientWindow(const std::string& title)
    {
        auto client = std::make_unique<ChildProcess>(kSampleClient, Options({"--title", title, "--seconds", "60"}));
        const auto deadline = std::chrono::steady_clock::now() + 10s;
        while (!platform::FindWindowByTitle(platform::WideFromUtf8(title)) && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(10ms);
        return client;
    }

    int RunVexa(std::vector<std::string> arguments, std::vector<std::pair<std::string, std::string>> extra = {})
    {
        ChildOptions options = Options(std::move(arguments));
        options.environment.insert(options.environment.end(), extra.begin(), extra.end());
        ChildProcess vexa(tree.Program().string(), options);
        EXPECT_TRUE(vexa.Wait(60s));
        return vexa.ExitCode();
    }

    // The lines the client printed, once the expected count arrived or time ran out.
    std::string Received(ChildProcess& client, std::size_t lines)
    {
        const auto deadline = std::chrono::steady_clock::now() + 5s;
        std::string output = client.Stdout();
        while (static_cast<std::size_t>(std::count(output.begin(), output.end(), '\n')) < lines &&
               std::chrono::steady_clock::now() < deadline) {
            std::this_thread::sleep_for(10ms);
            output = client.Stdout();
        }
        return output;
    }

    std::string Log() const { return ReadFileBytes(tree.ModuleFolder() / "log" / "update.log"); }
    bool Logged(const std::wstring& line) const { return Log().find(Utf16Le(line + L"\r\n")) != std::string::npos; }
    // True when a line ending in ", url: <url>" was logged: a failed transfer names its URL.
    bool LoggedUrl(const std::string& url) const
    {
        return Log().find(Utf16Le(L", url: " + platform::WideFromUtf8(url) + L"\r\n")) != std::string::npos;
    }
    std::filesystem::path Transcript() const { return runtime.Path() / "ui.jsonl"; }

    TempDir runtime;
    NginxServer server;
    ClientTree tree{VEXA_BINARY};
};

}  // namespace check_mode_testing
