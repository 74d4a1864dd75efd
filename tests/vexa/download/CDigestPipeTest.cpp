#include "vexa/download/CDigestPipe.h"

#include "tests/support/PublishedEntry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>

namespace {

using testing_support::DigestOf;
using testing_support::PatternBytes;

void Feed(CDigestPipe& pipe, const std::string& bytes, std::size_t piece)
{
    for (std::size_t at = 0; at < bytes.size(); at += piece)
        pipe.Feed(reinterpret_cast<const unsigned char*>(bytes.data()) + at, std::min(piece, bytes.size() - at));
}

// Streams of several rings, fed in pieces that straddle the ring's end or lent in
// place, give the digest of their bytes; an abandoned stream leaves nothing in the
// next one.
TEST(CDigestPipeTest, DigestsEachStreamWhateverThePiecesAndWraps)
{
    const std::string large = PatternBytes((9u << 20) + 7, 'p');
    CDigestPipe pipe;
    ASSERT_TRUE(pipe.Begin());
    Feed(pipe, large, 100003);
    EXPECT_EQ(Md5Hex(pipe.End()), DigestOf(large));

    ASSERT_TRUE(pipe.Begin());
    const auto* bytes = reinterpret_cast<const unsigned char*>(large.data());
    for (std::size_t at = 0; at < large.size(); at += 300007)
        pipe.Lend(bytes + at, std::min<std::size_t>(300007, large.size() - at));
    EXPECT_EQ(Md5Hex(pipe.End()), DigestOf(large));

    ASSERT_TRUE(pipe.Begin());
    Feed(pipe, large.substr(0, 5u << 20), 1u << 20);
    ASSERT_TRUE(pipe.Begin());
    Feed(pipe, "abc", 1);
    EXPECT_EQ(Md5Hex(pipe.End()), L"900150983cd24fb0d6963f7d28e17f72");
}

}  // namespace
