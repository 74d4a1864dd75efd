// Downloads against a server that misbehaves in the ways nginx will not: the
// local file must never take an error page or a wrong restart, a stalled or
// endless transfer must end, and a partial file must stay ready to resume.
#include "platform/text.h"
#include "tests/support/DownloadProbeTree.h"
#include "tests/support/HostileHttpServer.h"
#include "tests/support/PublishedEntry.h"
#include "vexa/install/FileList.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace {

using testing_support::DownloadProbeTree;
using testing_support::HostileHttpServer;
using testing_support::HostileReply;
using testing_support::PatternBytes;
using testing_support::PublishedEntry;
using testing_support::ReadFileBytes;
using testing_support::Utf8Path;
using testing_support::WidePath;
using testing_support::WriteFileBytes;
using Body = HostileReply::Body;

const std::string kWhole = PatternBytes(1000);

class HostileServerTest : public ::testing::Test {
protected:
    HostileServerTest() { std::filesystem::create_directories(Local("")); }

    // DownloadFiles of one entry for kWhole (or the given entry) at "/f.bin".
    int DownloadSet(const CFileListInfo& entry = PublishedEntry("/f.bin", kWhole))
    {
        CFileList list;
        list.Add(entry);
        const std::string listPath = probe.InModule("list.xml");
        EXPECT_TRUE(WriteFileList(list, platform::WideFromUtf8(listPath)));
        return probe.Run({"files", listPath, server.BaseUrl(), Local("").string()},
                         {{"VEXA_TEST_TRANSFER_SECONDS", "2"}});
    }

    // DownloadFile of "/f.bin" into the same local file.
    int DownloadOne(const std::string& sizeCap = "")
    {
        std::vector<std::string> arguments{"file", server.BaseUrl() + "/f.bin", Local("/f.bin").string()};
        if (!sizeCap.empty())
            arguments.push_back(sizeCap);
        return probe.Run(arguments, {{"VEXA_TEST_TRANSFER_SECONDS", "2"}});
    }

    // A UTF-8 path alone would be taken in the system's code page on Windows.
    std::filesystem::path Local(const std::string& name) const
    {
        return Utf8Path(probe.InModule("tempDownload") + name);
    }
    std::string LocalFile() const { return ReadFileBytes(Local("/f.bin")); }
    void Partial(std::size_t size) const { WriteFileBytes(Local("/f.bin"), kWhole.substr(0, size)); }

    HostileHttpServer server;
    DownloadProbeTree probe;
};

TEST_F(HostileServerTest, WholeFileAnsweredToARangeRestartsTheFile)
{
    server.Answer("/f.bin", {200, kWhole, Body::Whole, {}});
    WriteFileBytes(Local("/f.bin"), "stale bytes that are not the file's start");
    EXPECT_EQ(DownloadSet(), 0);
    EXPECT_EQ(LocalFile(), kWhole);
    EXPECT_EQ(server.Requests().back(), "/f.bin range=bytes=41-");

    Partial(300);
    EXPECT_EQ(DownloadOne(), 0);
    EXPECT_EQ(LocalFile(), kWhole);
}

TEST_F(HostileServerTest, RangeNotSatisfiableWritesNothingAndTheDigestDecides)
{
    server.Answer("/f.bin", {416, "<html>416</html>", Body::Whole, {}});
    // The list claims more bytes than the file has: the whole file is here already.
    std::filesystem::remove(Local("/f.bin"));
    WriteFileBytes(Local("/f.bin"), kWhole);
    CFileListInfo oversized = PublishedEntry("/f.bin", kWhole);
    oversized.SetSize(2000);
    EXPECT_EQ(DownloadSet(oversized), 0);
    EXPECT_EQ(LocalFile(), kWhole);

    // A real partial file fails its digest and is deleted, so the next run starts afresh.
    Partial(300);
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_FALSE(std::filesystem::exists(Local("/f.bin")));

    // A single download has no digest: it asks once more for the whole file, and a
    // refusal of that too is a failure that leaves the file.
    Partial(300);
    EXPECT_EQ(DownloadOne(), 1);
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));
    const auto requests = server.Requests();
    ASSERT_GE(requests.size(), 2u);
    EXPECT_EQ(requests[requests.size() - 2], "/f.bin range=bytes=300-");
    EXPECT_EQ(requests.back(), "/f.bin range=-");
}

// The digest that decides is that of the file as the transfer left it: fetched whole,
// restarted over stale bytes, or resumed after the bytes it already held.
TEST_F(HostileServerTest, WrongFileIsReportedWithTheDigestOfWhatItHeld)
{
    const auto reported = [this](const std::string& held) {
        return probe.Logged(L"文件 " + WidePath(Local("/f.bin")) + L" 下载失败。OriMd5:" +
                            PublishedEntry("/f.bin", kWhole).GetMd5() +
                            L", NewMd5:" + PublishedEntry("/f.bin", held).GetMd5());
    };
    const std::string fetched = PatternBytes(1000, 'k');
    server.Answer("/f.bin", {200, fetched, Body::Whole, {}});
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(reported(fetched));
    EXPECT_FALSE(std::filesystem::exists(Local("/f.bin")));

    const std::string restarted = PatternBytes(1000, 'r');
    server.Answer("/f.bin", {200, restarted, Body::Whole, {}});
    WriteFileBytes(Local("/f.bin"), "stale");
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(reported(restarted));

    HostileReply resumed{200, PatternBytes(1000, 's'), Body::Whole, {}};
    resumed.ranges = true;
    server.Answer("/f.bin", resumed);
    Partial(300);
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_EQ(server.Requests().back(), "/f.bin range=bytes=300-");
    EXPECT_TRUE(reported(kWhole.substr(0, 300) + resumed.body.substr(300)));
}

TEST_F(HostileServerTest, ServerErrorOrRedirectWithoutLocationLeavesThePartialFileAsItWas)
{
    server.Answer("/f.bin", {500, "<html>Internal Server Error</html>", Body::Whole, {}});
    Partial(300);
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));
    EXPECT_TRUE(probe.Logged(L"下载文件失败, HTTP状态: 500, url: " + platform::WideFromUtf8(server.BaseUrl()) +
                             L"/f.bin"));

    EXPECT_EQ(DownloadOne(), 1);
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));

    // A redirect with nowhere to go is not followed: its page reaches the file's sink.
    server.Answer("/f.bin", {300, "<html>Multiple Choices</html>", Body::Whole, {}});
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));
    EXPECT_EQ(DownloadOne(), 1);
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));
}

TEST_F(HostileServerTest, StallAfterTheHeadersIsAbortedAndKeepsThePartialFile)
{
    server.Answer("/f.bin", {206, "", Body::Stall, {"Content-Range: bytes 300-999/1000"}});
    Partial(300);
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 28"));  // CURLE_OPERATION_TIMEDOUT
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 300));
    EXPECT_EQ(DownloadOne(), 1);
}

// Limits shortened to two seconds: a trickle below the lowest speed is aborted and
// keeps what came; a small file must arrive whole in time even above that speed,
// while a client file may take longer.
TEST_F(HostileServerTest, TrickleIsAbortedAndSmallFilesMustArriveInTime)
{
    HostileReply trickle{200, kWhole, Body::Whole, {}};
    trickle.piece = 10;
    trickle.pauseMilliseconds = 100;  // 100 B/s
    server.Answer("/f.bin", trickle);
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 28"));  // CURLE_OPERATION_TIMEDOUT
    EXPECT_LT(LocalFile().size(), kWhole.size());

    const std::string steady = PatternBytes(10000);
    HostileReply paced{200, steady, Body::Whole, {}};
    paced.piece = 500;
    paced.pauseMilliseconds = 200;  // 2.5 KiB/s: four seconds for the file
    server.Answer("/f.bin", paced);
    std::filesystem::remove(Local("/f.bin"));
    EXPECT_EQ(DownloadOne("1000000"), 1);
    std::filesystem::remove(Local("/f.bin"));
    EXPECT_EQ(DownloadSet(PublishedEntry("/f.bin", steady)), 0);
    EXPECT_EQ(LocalFile(), steady);
}

TEST_F(HostileServerTest, BodyCutShortIsAFailureThatResumesWhereItStopped)
{
    server.Answer("/f.bin", {200, kWhole.substr(0, 600), Body::CutShort, {}});
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 18"));  // CURLE_PARTIAL_FILE
    EXPECT_EQ(LocalFile(), kWhole.substr(0, 600));

    server.Answer("/f.bin", {206, kWhole.substr(600), Body::Whole, {"Content-Range: bytes 600-999/1000"}});
    EXPECT_EQ(DownloadSet(), 0);
    EXPECT_EQ(server.Requests().back(), "/f.bin range=bytes=600-");
    EXPECT_EQ(LocalFile(), kWhole);
}

TEST_F(HostileServerTest, EndlessBodyStopsAtTheExpectedSize)
{
    // The file followed by garbage: the first Size bytes are the file.
    server.Answer("/f.bin", {200, kWhole, Body::Endless, {}});
    EXPECT_EQ(DownloadSet(), 0);
    EXPECT_EQ(LocalFile(), kWhole);

    // Garbage only: capped, then deleted by the digest test.
    server.Answer("/f.bin", {200, "garbage", Body::Endless, {}});
    std::filesystem::remove(Local("/f.bin"));
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_FALSE(std::filesystem::exists(Local("/f.bin")));

    // A single download of a parsed file has its own cap; a file at its cap could
    // never be finished, so it goes.
    EXPECT_EQ(DownloadOne("4096"), 1);
    EXPECT_FALSE(std::filesystem::exists(Local("/f.bin")));
}

TEST_F(HostileServerTest, RedirectLoopEndsAtTheRedirectCap)
{
    server.Answer("/f.bin", {302, "", Body::Whole, {"Location: /f.bin"}});
    EXPECT_EQ(DownloadSet(), 1);
    EXPECT_TRUE(probe.Logged(L"下载文件失败, errcode: 47"));  // CURLE_TOO_MANY_REDIRECTS
    EXPECT_EQ(server.Requests().size(), 11u);
    EXPECT_EQ(LocalFile(), "");
}

}  // namespace
