// Whole lookups as the game client runs them: the lookup client loads the library
// from a client tree whose "SysCfg/SDR.INI" points the six endpoints at the test server.
#include "cquill/src/sdr/GbkText.h"
#include "tests/cquill/sdr/SdrTestServer.h"
#include "tests/support/ChildProcess.h"
#include "tests/support/ClientTree.h"
#include "tests/support/TestProgram.h"

#include <gtest/gtest.h>

#include <map>
#include <sstream>

namespace {

using quill::sdr::Gbk;
using sdr_testing::SdrTestServer;

struct Outcome {
    std::vector<std::string> entries;
    std::map<std::string, std::string> values;  // "count", "waited", "released", ...
    long long Number(const std::string& name) const { return std::stoll(values.at(name)); }
};

class Lookup : public ::testing::Test {
protected:
    Lookup() : tree_(testing_support::TestProgram("sdr-lookup-client"), "client")
    {
        std::filesystem::create_directories(tree_.ModuleFolder() / "SysCfg");
        std::filesystem::create_directories(tree_.ModuleFolder() / "log");
        // The client loads the library from its own (non-ASCII) folder, as a game client does.
        std::filesystem::copy_file(CQUILL_LIBRARY, Library());
        SetLevel("Info");
    }

    void SetLevel(const std::string& level)
    {
        testing_support::WriteFileBytes(tree_.ModuleFolder() / "SysCfg" / "SDRLOG.INI", "[SDR]\r\nLOG_LEVEL=" + level + "\r\n");
    }

    Outcome Run(const SdrTestServer& server, const std::string& key, int timeout, std::vector<std::string> extra = {})
    {
        testing_support::WriteFileBytes(tree_.ModuleFolder() / "SysCfg" / "SDR.INI", server.EndpointsIni());
        testing_support::ChildOptions options;
        options.arguments = {Library().string(), key, std::to_string(timeout)};
        options.arguments.insert(options.arguments.end(), extra.begin(), extra.end());
        testing_support::ChildProcess client(tree_.Program().string(), options);
        EXPECT_TRUE(client.Wait(std::chrono::seconds(60)));
        EXPECT_EQ(client.ExitCode(), 0) << client.Stderr();
        Outcome outcome;
        std::istringstream lines(client.Stdout());
        for (std::string line; std::getline(lines, line);) {
            // The client's text output ends its lines with "\r\n" on Windows.
            if (line.ends_with('\r'))
                line.pop_back();
            const auto blank = line.find(' ');
            if (line.starts_with("entry "))
                outcome.entries.push_back(line.substr(blank + 1));
            else
                outcome.values[line.substr(0, blank)] = line.substr(blank + 1);
        }
        return outcome;
    }

    std::filesystem::path Library() const
    {
        return tree_.ModuleFolder() / std::filesystem::path(CQUILL_LIBRARY).filename();
    }
    std::filesystem::path LogPath() const { return tree_.ModuleFolder() / "log" / "SDR.log"; }
    std::string LogText() const { return testing_support::ReadFileBytes(LogPath()); }
    bool Logged(const std::string& text) const { return LogText().find(text) != std::string::npos; }

    testing_support::ClientTree tree_;
};

const std::string kAlpha = "alpha:10.0.0.1:7000:x:y|beta:10.0.0.2:7001";

TEST_F(Lookup, TheFirstEndpointsAnswerIsTaken)
{
    SdrTestServer server({"entries=" + kAlpha, "entries=other:1:1", "entries=other:1:1", "entries=other:1:1",
                          "entries=other:1:1", "entries=other:1:1"});
    const Outcome outcome = Run(server, "sdr.game.zone1", 30);
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"alpha|10.0.0.1|7000|x|y", "beta|10.0.0.2|7001||"}));
    const auto requests = server.Requests();
    ASSERT_FALSE(requests.empty());
    EXPECT_NE(std::find(requests.begin(), requests.end(), "0 PRODUCT/GAME/ZONE1"), requests.end());
    EXPECT_LE(requests.size(), 2u);

    const std::string rule(51, '-');
    EXPECT_TRUE(LogText().starts_with(rule + "\n" + std::string(20, ' ') + "CreateISdr" + std::string(21, ' ') + "\n" + rule + "\n"));
    EXPECT_TRUE(Logged(Gbk(L"主SDR 有数据 .") + "127.0.0.1\n"));
    EXPECT_TRUE(Logged("--CWorkTimedoutControlAsynSDRGroup-- \n" + Gbk(L"结束") + "\n"));
}

TEST_F(Lookup, AnEmptyMainAnswerFallsToTheAuxiliary)
{
    SdrTestServer server({"empty", "entries=aux:1:2", "entries=aux:1:2", "entries=aux:1:2", "entries=aux:1:2",
                          "entries=aux:1:2"});
    const Outcome outcome = Run(server, "sdr.game", 30);
    EXPECT_EQ(outcome.entries, (std::vector<std::string>{"aux|1|2||"}));
    EXPECT_TRUE(Logged("\xB8\xA8SDR1\xD3\xD0\xCA\xFD\xBE\xDD .127.0.0.1"));
}

TEST_F(Lookup, WhenAllSixFailTheAnswerIsEmpty)
{
    SdrTestServer server({"empty", "refuse", "close", "short=10=abcde", "empty", "refuse"});
    const Outcome outcome = Run(server, "sdr.game", 30);
    EXPECT_EQ(outcome.Number("count"), 0);
    EXPECT_TRUE(Logged("CWorkerAsynSDRGroup end\n"));
    EXPECT_EQ(server.Requests().size(), 4u);  // the refusing two never read a query
}

TEST_F(Lookup, RejectedKeyEndsEmptyWithoutTraffic)
{
    SdrTestServer server({"entries=a:b:1", "entries=a:b:1", "entries=a:b:1", "entries=a:b:1", "entries=a:b:1",
                          "entries=a:b:1"});
    const Outcome outcome = Run(server, "sdrx.game", 30);
    EXPECT_EQ(outcome.Number("count"), 0);
    EXPECT_TRUE(server.Requests().empty());
    EXPECT_TRUE(Logged("key is error.\n"));
}

TEST_F(Lookup, SilentServersAreBoundedByTheTimeout)
{
    SdrTestServer server({"silent", "silent", "silent", "silent", "silent", "silent"});
    const Outcome outcome = Run(server, "sdr.game", 3);  // 1 s per request, three stages
    EXPECT_EQ(outcome.Number("count"), 0);
    // Time-outs count whole wall-clock seconds, so each stage ends at the next second
    // boundary: the three stages take more than two seconds and at most about three.
    EXPECT_GE(outcome.Number("waited"), 1900);
    EXPECT_LE(outcome.Number("waited"), 6000);
    EXPECT_TRUE(Logged(Gbk(L"超时   \n") + Gbk(L"开始时间：")));
    EXPECT_TRUE(Logged("CWorkerAsynSDRGroup end"));
}

TEST_F(Lookup, CancelEndsTheWaitAndReleaseWaitsForRunningRequests)
{
    SdrTestServer server({"silent", "silent", "silent", "silent", "silent", "silent"});
    const Outcome outcome = Run(server, "sdr.game", 6, {"--cancel-after", "300"});  // 2 s per request
    EXPECT_EQ(outcome.Number("count"), 0);
    EXPECT_LT(outcome.Number("waited"), 1500);
    EXPECT_GE(outcome.Number("waited") + outcome.Number("released"), 900);  // requests end at their time-out
    EXPECT_TRUE(Logged(Gbk(L"取消了") + "\n"));
    EXPECT_TRUE(Logged(Gbk(L"在等待主SDR时被取消\n")));
    EXPECT_LE(server.Requests().size(), 2u);
}

TEST_F(Lookup, AnAnswerArrivingAsTheLookupIsCancelledNeverChangesTheFinishedResult)
{
    // The main endpoint answers at once, but the group looks at it only every 100 ms; the
    // cancel lands in between, so the group finds the answer after the lookup has finished.
    // Whether the cancel lands in between depends on timing, so the lookup runs three times.
    SdrTestServer server({"entries=" + kAlpha, "silent", "silent", "silent", "silent", "silent"});
    for (int run = 0; run < 3; ++run) {
        const Outcome outcome = Run(server, "sdr.game", 3, {"--cancel-after", "40", "--recheck-after", "250"});
        EXPECT_EQ(outcome.values.at("later"), outcome.values.at("finished")) << run;
        EXPECT_EQ(outcome.Number("count"), outcome.Number("finished")) << run;
    }
}

TEST_F(Lookup, ZeroTimeoutStopsRequestsButNegativeLetsThemFinish)
{
    const std::string slowPayload = "slow:10.0.0.9:7777:long-enough-to-take-a-while";
    SdrTestServer server({"slow=" + slowPayload, "refuse", "refuse", "refuse", "refuse", "refuse"});
    EXPECT_EQ(Run(server, "sdr.game", -1).entries, (std::vector<std::string>{"slow|10.0.0.9|7777|long-enough-to-take-a-while|"}));
    EXPECT_EQ(Run(server, "sdr.game", 0).Number("count"), 0);
}

TEST_F(Lookup, NothingIsLoggedBelowInfoOrWithoutInitialisation)
{
    SdrTestServer server({"entries=a:b:1", "empty", "empty", "empty", "empty", "empty"});
    SetLevel("Debug");
    EXPECT_EQ(Run(server, "sdr.game", 30).Number("count"), 1);
    SetLevel("Warning");
    EXPECT_EQ(Run(server, "sdr.game", 30).Number("count"), 1);
    SetLevel("Info");
    EXPECT_EQ(Run(server, "sdr.game", 30, {"--no-initial"}).Number("count"), 1);
    EXPECT_FALSE(std::filesystem::exists(LogPath()));
}

TEST_F(Lookup, FiftyLookupsAtOnceLeaveNoDescriptorBehind)
{
    SdrTestServer server({"empty", "entries=a:b:1", "refuse", "close", "slow=c:d:2", "short=9=x"});
    SetLevel("NONE");
    const Outcome outcome = Run(server, "sdr.game", 6, {"--parallel", "50"});
    EXPECT_EQ(outcome.values.at("lookups"), "50 answered 50");
    std::istringstream descriptors(outcome.values.at("descriptors"));
    std::size_t before = 0;
    std::size_t after = 1;
    descriptors >> before >> after;
    EXPECT_EQ(before, after);
}

}  // namespace
