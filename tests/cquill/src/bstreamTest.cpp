#include <gtest/gtest.h>

#include "cquill.h"

namespace {

std::vector<std::string> reported;

void Remember(const char* operation, const char* reason)
{
    reported.push_back(std::string(operation) + "|" + reason);
}

class Streams : public ::testing::Test {
protected:
    void SetUp() override { reported.clear(); }
};

}  // namespace

TEST_F(Streams, WritesBigEndianAndReadsItBack)
{
    char buffer[8] = {};
    bostream out(buffer, sizeof buffer);
    out << static_cast<unsigned short>(0x1234) << 0x01020304u << static_cast<short>(-2);
    EXPECT_EQ(out.offset(), 8u);
    EXPECT_EQ(std::string(buffer, 8), std::string("\x12\x34\x01\x02\x03\x04\xFF\xFE", 8));

    bistream in(buffer, sizeof buffer);
    unsigned short u16 = 0;
    unsigned int u32 = 0;
    short s16 = 0;
    in >> u16 >> u32 >> s16;
    EXPECT_EQ(u16, 0x1234);
    EXPECT_EQ(u32, 0x01020304u);
    EXPECT_EQ(s16, -2);
    EXPECT_EQ(in.offset(), in.size);
}

TEST_F(Streams, ReadThatDoesNotFitFailsWholeAndReportsFirst)
{
    const char data[5] = {1, 2, 3, 4, 5};
    bistream in(data, sizeof data, Remember);
    unsigned short first = 0;
    in >> first;
    unsigned int value = 0xDEADBEEF;
    try {
        in >> value;
        FAIL();
    } catch (const bstream_overflow& failure) {
        EXPECT_EQ(failure.operation, "bstream::>>uint32_t");
        EXPECT_EQ(failure.reason, "not enough data in buffer");
    }
    EXPECT_EQ(value, 0xDEADBEEFu);
    EXPECT_EQ(in.offset(), 2u);
    EXPECT_EQ(reported, std::vector<std::string>{"bstream::>>uint32_t|not enough data in buffer"});

    unsigned short pair = 0;
    in.seek(bstream_base::seek_current, 2);
    EXPECT_THROW(in >> pair, bstream_overflow);
    unsigned char last = 0;
    in.seek(bstream_base::seek_begin, 5);
    EXPECT_THROW(in.read(last), bstream_overflow);
    EXPECT_EQ(reported.back(), "bstream::read|not enough data in buffer");
}

TEST_F(Streams, WriteThatDoesNotFitLeavesTheBufferAlone)
{
    char buffer[3] = {'a', 'b', 'c'};
    bostream out(buffer, sizeof buffer, Remember);
    out.write(static_cast<unsigned char>('x'));
    EXPECT_THROW(out << 0x01020304u, bstream_overflow);
    EXPECT_THROW(out.write("xyz", 3), bstream_overflow);
    EXPECT_EQ(std::string(buffer, 3), "xbc");
    EXPECT_EQ(out.offset(), 1u);
    out.write("yz", 2);
    EXPECT_EQ(out.offset(), out.size);
    EXPECT_THROW(out << static_cast<short>(1), bstream_overflow);
    EXPECT_EQ(reported, (std::vector<std::string>{"bstream::<<uint32_t|not enough buffer", "bstream::write|not enough buffer",
                                                  "bstream::<<int16_t|not enough buffer"}));
}

TEST_F(Streams, EmptyStreamRefusesEveryValueButSeeksToZero)
{
    bistream in(nullptr, 0);
    unsigned char byte = 0;
    EXPECT_THROW(in.read(byte), bstream_overflow);
    EXPECT_NO_THROW(in.seek(bstream_base::seek_begin, 0));
    bostream out(nullptr, 0);
    EXPECT_THROW(out.write(byte), bstream_overflow);
    EXPECT_NO_THROW(out.write(nullptr, 0));
}

TEST_F(Streams, SeekMayReachEitherEndButNotBeyond)
{
    char buffer[10] = {};
    bostream out(buffer, sizeof buffer, Remember);
    out.seek(bstream_base::seek_begin, 10);
    EXPECT_EQ(out.offset(), 10u);
    out.seek(bstream_base::seek_current, -4);
    EXPECT_EQ(out.offset(), 6u);
    for (auto [origin, delta] : {std::pair{bstream_base::seek_begin, 11}, {bstream_base::seek_current, -7},
                                 {bstream_base::seek_begin, -1}, {bstream_base::seek_current, 0x7FFFFFFF}}) {
        try {
            out.seek(origin, delta);
            FAIL() << delta;
        } catch (const bstream_overflow&) {
            FAIL() << "seek failures are plain my_exception";
        } catch (const my_exception& failure) {
            EXPECT_EQ(failure.operation, "bstream_base::seek");
            EXPECT_EQ(failure.reason, "invalid position");
        }
        EXPECT_EQ(out.offset(), 6u);
    }
    EXPECT_EQ(reported.size(), 4u);
}

TEST_F(Streams, BlockWriteMayOverlapItsOwnBuffer)
{
    char buffer[8] = {'a', 'b', 'c', 'd', 'e', 'f', 'g', 'h'};
    bostream out(buffer, sizeof buffer);
    out.seek(bstream_base::seek_begin, 2);
    out.write(buffer, 5);
    EXPECT_EQ(std::string(buffer, 8), "ababcdeh");
}
