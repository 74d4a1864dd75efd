#include "vexa/install/Md5Lanes.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "tests/support/RandomBytes.h"

namespace {

using Bytes = std::vector<unsigned char>;

Bytes RandomBlocks(std::size_t size, unsigned seed)
{
    const std::string bytes = testing_support::RandomBytes(size, seed);
    return Bytes(bytes.begin(), bytes.end());
}

std::wstring DigestOfWhole(const Bytes& message)
{
    Md5Context context;
    Md5Init(context);
    Md5Update(context, message.data(), message.size());
    Md5Digest digest;
    Md5Final(context, digest);
    return Md5Hex(digest);
}

// The widths the processor here can run, the one-at-a-time path included.
std::vector<std::size_t> RunnableWidths()
{
    std::vector<std::size_t> widths;
    for (std::size_t width : {1u, 8u, 16u})
        if (width <= Md5LaneWidth())
            widths.push_back(width);
    return widths;
}

// Each message: a whole-block head digested alone, `blocks` blocks side by side,
// then a tail of its own length before the padding.
struct Message {
    Bytes bytes;
    std::size_t head;
    std::size_t tail;
};

std::vector<std::wstring> DigestSideBySide(std::vector<Message>& messages, std::size_t blocks, std::size_t width)
{
    std::vector<Md5Context> contexts(messages.size());
    std::vector<Md5Context*> lanes;
    std::vector<const unsigned char*> data;
    for (std::size_t j = 0; j < messages.size(); ++j) {
        Md5Init(contexts[j]);
        Md5Update(contexts[j], messages[j].bytes.data(), messages[j].head);
        lanes.push_back(&contexts[j]);
        data.push_back(messages[j].bytes.data() + messages[j].head);
    }
    Md5UpdateLanes(lanes.data(), data.data(), lanes.size(), blocks, width);
    std::vector<std::wstring> digests;
    for (std::size_t j = 0; j < messages.size(); ++j) {
        Md5Update(contexts[j], data[j] + 64 * blocks, messages[j].tail);
        Md5Digest digest;
        Md5Final(contexts[j], digest);
        digests.push_back(Md5Hex(digest));
    }
    return digests;
}

}  // namespace

TEST(Md5Lanes, EveryLaneDigestsItsOwnMessageWhateverTheGrouping)
{
    // Lane counts below, at and past each width, so groups are full, partial,
    // too small for a vector pass, and followed by a remainder.
    const std::size_t tails[] = {0, 1, 55, 56, 63};
    for (std::size_t width : RunnableWidths()) {
        for (std::size_t lanes : {1u, 3u, 4u, 5u, 8u, 9u, 16u, 17u, 35u}) {
            for (std::size_t blocks : {1u, 3u}) {
                SCOPED_TRACE(testing::Message() << "width " << width << ", lanes " << lanes << ", blocks " << blocks);
                std::vector<Message> messages;
                for (std::size_t j = 0; j < lanes; ++j) {
                    const std::size_t head = 64 * (j % 3);
                    const std::size_t tail = tails[j % std::size(tails)];
                    messages.push_back({RandomBlocks(head + 64 * blocks + tail, static_cast<unsigned>(j)), head, tail});
                }
                const std::vector<std::wstring> digests = DigestSideBySide(messages, blocks, width);
                for (std::size_t j = 0; j < lanes; ++j)
                    EXPECT_EQ(digests[j], DigestOfWhole(messages[j].bytes)) << "lane " << j;
            }
        }
    }
}

TEST(Md5Lanes, LongMessagesGiveTheKnownDigest)
{
    // One million "a", a long-standing published test value; 15,625 whole blocks.
    const Bytes million(1000000, 'a');
    for (std::size_t width : RunnableWidths()) {
        std::vector<Message> messages(width + 1, Message{million, 0, 0});
        for (const std::wstring& digest : DigestSideBySide(messages, million.size() / 64, width))
            EXPECT_EQ(digest, L"7707d6ae4e027c70eea2a935c2296f21") << "width " << width;
    }
}
