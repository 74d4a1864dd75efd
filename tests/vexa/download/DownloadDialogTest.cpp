// DownloadFiles behind its two-bar dialog, driven by the script user interface:
// the bars and labels it shows, a cancel in the middle of a file and its resume,
// and the pause while the cancel question is open.
#include "platform/text.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/DownloadProbeTree.h"
#include "tests/support/HostileHttpServer.h"
#include "tests/support/PublishedEntry.h"
#include "vexa/install/FileList.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>
#include <thread>

namespace {

using namespace std::chrono_literals;
using testing_support::ChildOptions;
using testing_support::ChildProcess;
using testing_support::DownloadProbeTree;
using testing_support::HostileHttpServer;
using testing_support::HostileReply;
using testing_support::PatternBytes;
using testing_support::PublishedEntry;
using testing_support::ReadFileBytes;
using testing_support::Utf8Path;
using testing_support::WidePath;
using testing_support::WriteFileBytes;

// 200 KiB in pieces of 10 KiB, 20 ms apart: slow enough to be caught in the middle.
const std::string kBig = PatternBytes(200 * 1024);

HostileReply Trickled(const std::string& body)
{
    HostileReply reply{200, body, HostileReply::Body::Whole, {}};
    reply.piece = 10 * 1024;
    reply.pauseMilliseconds = 20;
    reply.ranges = true;
    return reply;
}

class DownloadDialogTest : public ::testing::Test {
protected:
    ChildOptions Options(const std::string& script)
    {
        WriteFileBytes(probe.Tree().ModuleFolder() / "ui.script", script);
        CFileList list;
        for (const auto& entry : entries)
            list.Add(entry);
        const std::string listPath = probe.InModule("list.xml");
        EXPECT_TRUE(WriteFileList(list, platform::WideFromUtf8(listPath)));
        ChildOptions options;
        options.arguments = {"files", listPath, server.BaseUrl(), Local("").string()};
        options.environment = {{"VEXA_UI", "script"},
                               {"VEXA_UI_SCRIPT", probe.InModule("ui.script")},
                               {"VEXA_UI_LOG", probe.InModule("ui.jsonl")}};
        return options;
    }

    int Download(const std::string& script = "")
    {
        ChildProcess child(probe.Tree().Program().string(), Options(script));
        return child.Wait(60s) ? child.ExitCode() : -1;
    }

    // A UTF-8 path alone would be taken in the system's code page on Windows.
    std::filesystem::path Local(const std::string& name) const
    {
        return Utf8Path(probe.InModule("tempDownload") + name);
    }
    std::string Transcript() const { return ReadFileBytes(probe.Tree().ModuleFolder() / "ui.jsonl"); }
    bool Shown(const std::string& event) const { return Transcript().find(event + "\n") != std::string::npos; }

    HostileHttpServer server;
    DownloadProbeTree probe;
    std::vector<CFileListInfo> entries;
};

TEST_F(DownloadDialogTest, OverallBarStepsPerFileAndPercentagesAreTruncated)
{
    const std::string bytes = PatternBytes(3000);
    HostileReply first{200, bytes, HostileReply::Body::Whole, {}};
    first.piece = 2999;  // the progress function sees 2,999 of 3,000 bytes
    first.pauseMilliseconds = 300;
    server.Answer("/1.bin", first);
    server.Answer("/2.bin", {200, bytes, HostileReply::Body::Whole, {}});
    server.Answer("/3.bin", {200, bytes, HostileReply::Body::Whole, {}});
    entries = {PublishedEntry("/1.bin", bytes), PublishedEntry("/2.bin", bytes), PublishedEntry("/3.bin", bytes)};

    ASSERT_EQ(Download(), 0);
    EXPECT_TRUE(Shown(R"({"event":"dialog","dialog":107,"title":"下载文件","action":"open"})"));
    EXPECT_TRUE(Shown(R"({"event":"text","dialog":107,"control":1008,"text":"/1.bin"})"));
    EXPECT_TRUE(Shown(R"({"event":"text","dialog":107,"control":1009,"text":"99 %"})"));
    const std::string transcript = Transcript();
    const auto at = [&](const std::string& event) { return transcript.find(event); };
    const std::size_t third = at(R"({"event":"bar","dialog":107,"control":1006,"pos":33})");
    const std::size_t twoThirds = at(R"({"event":"bar","dialog":107,"control":1006,"pos":66})");
    const std::size_t whole = at(R"({"event":"bar","dialog":107,"control":1006,"pos":100})");
    const std::size_t end = at(R"({"event":"dialog","dialog":107,"action":"end","result":0})");
    ASSERT_NE(end, std::string::npos);
    EXPECT_LT(third, twoThirds);
    EXPECT_LT(twoThirds, whole);
    EXPECT_LT(whole, end);
}

TEST_F(DownloadDialogTest, CancelInTheMiddleKeepsThePartialFileForTheNextRunToResume)
{
    server.Answer("/big.bin", Trickled(kBig));
    entries = {PublishedEntry("/big.bin", kBig)};

    EXPECT_EQ(Download("press 2 in 107 when 1007 >= 30\nyes\n"), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 23"));
    EXPECT_TRUE(Shown(R"({"event":"messagebox","title":"下载提示","text":"是否终止下载更新","style":4100,"answer":"yes","owner":107})"));
    EXPECT_TRUE(Shown(R"({"event":"messagebox","title":"下载提示","text":"已取消下载","style":4096,"answer":"ok","owner":0})"));
    const std::size_t kept = ReadFileBytes(Local("/big.bin")).size();
    EXPECT_GE(kept, kBig.size() * 3 / 10);
    EXPECT_LT(kept, kBig.size());

    EXPECT_EQ(Download(), 0);
    EXPECT_EQ(server.Requests().back(), "/big.bin range=bytes=" + std::to_string(kept) + "-");
    EXPECT_EQ(ReadFileBytes(Local("/big.bin")), kBig);
}

TEST_F(DownloadDialogTest, TransferPausesWhileTheCancelQuestionIsOpen)
{
    server.Answer("/big.bin", Trickled(kBig));
    entries = {PublishedEntry("/big.bin", kBig)};
    ChildProcess child(probe.Tree().Program().string(), Options("press 2 in 107 when 1007 >= 30\nno after 1500\n"));

    // The longest time the local file did not grow while it was incomplete.
    auto lastGrowth = std::chrono::steady_clock::now();
    std::chrono::steady_clock::duration longestStill{};
    std::uintmax_t size = 0;
    // The running state is taken before each look, so the growth that ends the
    // transfer is still seen when the child exits right after it.
    for (bool running = true; running && size < kBig.size();) {
        running = child.Running();
        std::error_code error;
        const std::uintmax_t now = std::filesystem::file_size(Local("/big.bin"), error);
        const auto time = std::chrono::steady_clock::now();
        if (!error && now != size) {
            if (size != 0)
                longestStill = std::max(longestStill, time - lastGrowth);
            size = now;
            lastGrowth = time;
        }
        std::this_thread::sleep_for(5ms);
    }
    ASSERT_TRUE(child.Wait(60s));
    EXPECT_EQ(child.ExitCode(), 0);
    EXPECT_GE(longestStill, 1200ms);
    EXPECT_EQ(ReadFileBytes(Local("/big.bin")), kBig);
    EXPECT_TRUE(Shown(R"({"event":"messagebox","title":"下载提示","text":"是否终止下载更新","style":4100,"answer":"no","owner":107})"));
}

}  // namespace
