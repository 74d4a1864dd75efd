#include "vexa/install/CFileLane.h"

#include <gtest/gtest.h>

#include <deque>
#include <fstream>
#include <vector>

#include "platform/files.h"
#include "tests/support/ClientTree.h"
#include "tests/support/RandomBytes.h"
#include "tests/support/PublishedEntry.h"
#include "tests/support/TempDir.h"

namespace {

using testing_support::DigestOf;

// Reads and digests the opened lanes as a worker does, each lane refilled once
// its whole blocks are used up.
void DigestSideBySide(std::deque<CFileLane>& lanes, std::vector<bool> busy)
{
    for (std::size_t i = 0; i < lanes.size(); ++i)
        busy[i] = busy[i] && lanes[i].Refill();
    for (;;) {
        std::vector<CFileLane*> fed;
        for (std::size_t i = 0; i < lanes.size(); ++i)
            if (busy[i])
                fed.push_back(&lanes[i]);
        if (fed.empty())
            return;
        DigestCommonBlocks(fed);
        for (std::size_t i = 0; i < lanes.size(); ++i)
            busy[i] = busy[i] && (lanes[i].WholeBlocks() > 0 || lanes[i].Refill());
    }
}

}  // namespace

TEST(CFileLane, PiecesEndingOffBlockBoundariesAddUpToTheWholeFile)
{
    // 100-byte pieces: every read leaves part of a block to finish with the next,
    // while at least four lanes run side by side.
    testing_support::TempDir dir;
    const std::size_t sizes[] = {0, 99, 1000, 1050, 1100, 4099};
    std::vector<unsigned char> buffer(100 * std::size(sizes));
    std::deque<CFileLane> lanes;
    std::vector<bool> busy;
    std::vector<std::string> contents;
    for (std::size_t i = 0; i < std::size(sizes); ++i) {
        const std::wstring path = testing_support::WidePath(dir.Path()) + L"/f" + std::to_wstring(i);
        contents.push_back(testing_support::RandomBytes(sizes[i], static_cast<unsigned>(i)));
        testing_support::WriteFileBytes(testing_support::Utf8Path(platform::NativePath(path)), contents.back());
        lanes.emplace_back(std::span(buffer.data() + 100 * i, 100));
        busy.push_back(lanes.back().Begin(path));
    }
    DigestSideBySide(lanes, busy);
    for (std::size_t i = 0; i < lanes.size(); ++i) {
        const FileFacts facts = lanes[i].TakeFacts();
        EXPECT_TRUE(facts.measured);
        EXPECT_EQ(facts.size, sizes[i]);
        EXPECT_EQ(facts.md5, DigestOf(contents[i])) << sizes[i];
    }
}

TEST(CFileLane, AFileGrowingAfterItWasMeasuredIsReadToItsNewEnd)
{
    testing_support::TempDir dir;
    const auto path = dir.Path() / "growing.log";
    const std::string start = "start", growth = testing_support::RandomBytes(100000, 1);
    testing_support::WriteFileBytes(path, start);
    std::vector<unsigned char> buffer(64 * 1024);
    std::deque<CFileLane> lanes;
    lanes.emplace_back(std::span(buffer));
    ASSERT_TRUE(lanes[0].Begin(testing_support::WidePath(path)));
    std::ofstream(path, std::ios::binary | std::ios::app) << growth;

    DigestSideBySide(lanes, {true});
    const FileFacts facts = lanes[0].TakeFacts();
    EXPECT_EQ(facts.size, start.size());
    EXPECT_EQ(facts.md5, DigestOf(start + growth));
}
