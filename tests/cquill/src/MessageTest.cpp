#include <random>

#include <zlib.h>

#include <gtest/gtest.h>

#include "TestFields.h"
#include "platform/debug_output.h"
#include "tests/support/Deflated.h"

using namespace cquill_test;
using testing_support::Deflated;

namespace {

std::string Bytes(std::initializer_list<int> values)
{
    std::string bytes;
    for (int value : values)
        bytes.push_back(static_cast<char>(value));
    return bytes;
}

// A packet with the given option bytes and body, its header lengths filled in.
std::string Packet(const std::string& options, const std::string& body)
{
    return Bytes({9, static_cast<int>(options.size()), static_cast<int>(body.size() >> 8), static_cast<int>(body.size() & 0xFF)}) +
           options + body;
}

// The plain encoding of an empty message with the library's defaults.
std::string EmptyBody()
{
    return Bytes({0x11, 0, 0, 0, 0, 0x53, 0, 0, 0, 0, 0, 0, 0, 0, 0, 0});
}

std::string MessageWithBlobs(const std::vector<std::pair<uint32_t, std::string>>& fields)
{
    varo::Message message;
    for (const auto& [pid, body] : fields)
        message.AddField(Blob(pid, body));
    return Compress(message).substr(4);
}

void ExpectThrows(const std::string& packet, const std::string& operation, const std::string& reason)
{
    try {
        Uncompress(packet);
        ADD_FAILURE() << "no exception for " << Hex(packet.substr(0, 16));
    } catch (const my_exception& failure) {
        EXPECT_EQ(failure.operation, operation);
        EXPECT_EQ(failure.reason, reason);
    }
}

}  // namespace

TEST(MessageEncoding, OneFieldPacketIsByteExact)
{
    varo::Message message;
    message.SetTid(1);
    message.SetSequenceNumber(7);
    message.AddField(Blob(1001, "AB"));
    EXPECT_EQ(Hex(Compress(message)),
              "09 00 00 18 11 00 00 00 01 53 00 00 00 00 00 07 00 01 00 00 00 00 03 E9 00 02 41 42");
}

TEST(MessageEncoding, EmptyMessageIsEnvelopeAndHeader)
{
    varo::Message message;
    EXPECT_EQ(Compress(message), Packet("", EmptyBody()));
}

TEST(MessageEncoding, CompressIfLargeStartsAtTenThousandTwoHundredFortyBytes)
{
    RegisterBlob(60, 10217);
    RegisterBlob(61, 10218);
    varo::Message below;
    below.SetCompressFlag(IMessage::CompressIfLarge);
    below.AddField(Blob(60, std::string(10217, 'x')));
    const std::string plain = Compress(below);
    EXPECT_EQ(plain.size(), 4u + 10239u);
    EXPECT_EQ(plain[1], 0);

    varo::Message at;
    at.SetCompressFlag(IMessage::CompressIfLarge);
    at.AddField(Blob(61, std::string(10218, 'y')));
    const std::string packed = Compress(at);
    EXPECT_EQ(Hex(packed.substr(1, 1)), "03");
    EXPECT_EQ(Hex(packed.substr(4, 3)), "02 01 03");
    EXPECT_LT(packed.size(), 200u);

    varo::Packet envelope;
    const varo::Message decoded = Uncompress(packed, &envelope);
    EXPECT_EQ(BodyOf(decoded, 0), std::string(10218, 'y'));
    EXPECT_EQ(envelope.bodyLength, 10240);
    ASSERT_EQ(envelope.options.size(), 1u);
    EXPECT_EQ(envelope.options[0].type, 2);
}

TEST(MessageEncoding, ABodyInflatingPastThirtyTwoKilobytesKeepsItsTrueLength)
{
    RegisterBlob(62, 40000);
    varo::Message large;
    large.AddField(Blob(62, std::string(40000, 'w')));
    // Too long for a plain packet, so the body is deflated here.
    std::string plain(65536, '\0');
    bostream out(plain.data(), static_cast<uint32_t>(plain.size()));
    large.Encode(out);
    plain.resize(out.offset());
    ASSERT_GT(plain.size(), 0x7FFFu);

    varo::Packet envelope;
    const varo::Message decoded = Uncompress(Packet(Bytes({2, 1, 3}), Deflated(plain)), &envelope);
    EXPECT_EQ(BodyOf(decoded, 0), std::string(40000, 'w'));
    EXPECT_EQ(static_cast<std::size_t>(envelope.bodyLength), plain.size());
}

TEST(MessageEncoding, CompressAlwaysPacksEvenAnEmptyMessage)
{
    varo::Message message;
    message.SetCompressFlag(IMessage::CompressAlways);
    const std::string packed = Compress(message);
    EXPECT_EQ(packed, Packet(Bytes({2, 1, 3}), Deflated(EmptyBody())));
    const varo::Message decoded = Uncompress(packed);
    EXPECT_EQ(decoded.version, 0x11);
    EXPECT_TRUE(decoded.fields.empty());
}

TEST(MessageEncoding, UnknownFlagValueMeansNever)
{
    varo::Message message;
    message.SetCompressFlag(static_cast<IMessage::CompressFlagEnum>(7));
    EXPECT_EQ(Compress(message).size(), 20u);
}

TEST(MessageEncoding, TwoFieldsRoundTripWithHeader)
{
    RegisterBlob(70, 3);
    RegisterBlob(71, 1);
    varo::Message message;
    message.SetVersion(0x22);
    message.SetTid(0xA1B2C3D4);
    message.SetChain(0x44);
    message.SetSequenceNumber(-2);
    message.AddField(Blob(70, "abc"));
    message.AddField(Blob(71, "z"));
    for (auto flag : {IMessage::CompressNever, IMessage::CompressAlways}) {
        message.SetCompressFlag(flag);
        const varo::Message decoded = Uncompress(Compress(message));
        EXPECT_EQ(decoded.version, 0x22);
        EXPECT_EQ(decoded.tid, 0xA1B2C3D4u);
        EXPECT_EQ(decoded.chain, 0x44);
        EXPECT_EQ(decoded.sequenceNumber, 0xFFFFFFFEu);
        ASSERT_EQ(decoded.fields.size(), 2u);
        EXPECT_EQ(decoded.fields[0]->GetPid(), 70u);
        EXPECT_EQ(BodyOf(decoded, 0), "abc");
        EXPECT_EQ(BodyOf(decoded, 1), "z");
    }
}

TEST(MessageEncoding, PacketsThatDoNotFitTheBufferAreRefused)
{
    varo::Message message;
    message.AddField(Blob(1, std::string(100, 'q')));
    EXPECT_THROW(Compress(message, 60), bstream_overflow);

    // Random bytes do not shrink: the compressed body no longer fits where the plain one did.
    std::mt19937 random(5);
    std::string noise(1000, '\0');
    for (char& byte : noise)
        byte = static_cast<char>(random());
    varo::Message incompressible;
    incompressible.SetCompressFlag(IMessage::CompressAlways);
    incompressible.AddField(Blob(1, noise));
    EXPECT_THROW(Compress(incompressible, 4 + 16 + 6 + 1000), bstream_overflow);
}

TEST(MessageEncoding, LengthsTheHeadersCannotCarryAreRefused)
{
    varo::Message longField;
    longField.AddField(Blob(1, std::string(0x10000, 'a')));
    EXPECT_THROW(Compress(longField, 0x20000), my_exception);

    varo::Message longBody;
    longBody.AddField(Blob(1, std::string(0x8000, 'a')));
    EXPECT_THROW(Compress(longBody, 0x20000), my_exception);

    varo::Message manyFields;
    for (int i = 0; i < 0x10000; ++i)
        manyFields.AddField(Blob(1, ""));
    EXPECT_THROW(Compress(manyFields, 0x80000), my_exception);

    varo::Message nullField;
    nullField.AddField(nullptr);
    EXPECT_THROW(Compress(nullField), my_exception);
}

TEST(MessageDecoding, UnknownPidIsReportedAndSkipped)
{
    RegisterBlob(81, 2);
    platform::CDebugOutputCapture debug;
    const varo::Message decoded = Uncompress(Packet("", MessageWithBlobs({{0xFFFFFFF0u, "skip me"}, {81, "ok"}})));
    EXPECT_EQ(debug.Text(), "unknown pid:-16\n");
    ASSERT_EQ(decoded.fields.size(), 1u);
    EXPECT_EQ(BodyOf(decoded, 0), "ok");
}

TEST(MessageDecoding, UnknownFieldRunningPastTheEndIsAnInvalidPosition)
{
    platform::CDebugOutputCapture debug;
    std::string body = MessageWithBlobs({{0xFFFFFFF1u, "abcd"}});
    body.pop_back();
    try {
        Uncompress(Packet("", body));
        FAIL();
    } catch (const bstream_overflow&) {
        FAIL() << "a skip is no overflow";
    } catch (const my_exception& failure) {
        EXPECT_EQ(failure.reason, "invalid position");
    }
}

TEST(MessageDecoding, KnownFieldReadingPastTheEndOverflows)
{
    RegisterBlob(82, 50);
    EXPECT_THROW(Uncompress(Packet("", MessageWithBlobs({{82, "short"}}))), bstream_overflow);
}

TEST(MessageDecoding, OnlyOptionTypeTwoMeansCompressed)
{
    RegisterBlob(83, 4);
    const std::string body = MessageWithBlobs({{83, "zzzz"}});
    varo::Packet envelope;
    const varo::Message decoded = Uncompress(Packet(Bytes({1, 2, 7, 7, 2, 1, 3}), Deflated(body)), &envelope);
    EXPECT_EQ(BodyOf(decoded, 0), "zzzz");
    ASSERT_EQ(envelope.options.size(), 2u);
    EXPECT_EQ(envelope.options[0].data, Bytes({7, 7}));

    EXPECT_EQ(BodyOf(Uncompress(Packet(Bytes({1, 1, 9}), body)), 0), "zzzz");
}

TEST(MessageDecoding, BrokenCompressedBodiesAreDataErrors)
{
    const std::string deflated = Deflated(EmptyBody());
    const std::string compressed = Bytes({2, 1, 3});
    ExpectThrows(Packet(compressed, "this is no zlib stream"), "Message::uncompress", "Data Error");
    ExpectThrows(Packet(compressed, deflated.substr(0, deflated.size() - 3)), "Message::uncompress", "Data Error");
    ExpectThrows(Packet(compressed, ""), "Message::uncompress", "Data Error");

    // A stream that wants a preset dictionary cannot be ours either.
    std::string needsDictionary = deflated;
    const int method = needsDictionary[0] & 0xFF;
    int flags = (needsDictionary[1] & 0xE0) | 0x20;
    flags += (31 - (method * 256 + flags) % 31) % 31;
    needsDictionary[1] = static_cast<char>(flags);
    ExpectThrows(Packet(compressed, needsDictionary), "Message::uncompress", "Data Error");
}

TEST(MessageDecoding, HighlyCompressibleBodyInflatesWithinBounds)
{
    // Sixteen megabytes of zeros squeeze into about sixteen kilobytes: the area must keep
    // growing, but only up to what that many compressed bytes can hold.
    const std::string deflated = Deflated(std::string(16 << 20, '\0'));
    ASSERT_LT(deflated.size(), 0x8000u);
    varo::Packet envelope;
    const varo::Message decoded = Uncompress(Packet(Bytes({2, 1, 3}), deflated), &envelope);
    EXPECT_EQ(decoded.version, 0);
    EXPECT_TRUE(decoded.fields.empty());
}

TEST(MessageDecoding, CompressedBodyPastThePacketEndIsRefusedBeforeInflating)
{
    const std::string deflated = Deflated(EmptyBody());
    std::string packet = Packet(Bytes({2, 1, 3}), deflated);
    packet.pop_back();
    ExpectThrows(packet, "bstream_base::seek", "invalid position");
}

TEST(MessageDecoding, NegativeBodyLengthIsRejected)
{
    ExpectThrows(Bytes({9, 0, 0x80, 0}) + EmptyBody(), "Message::uncompress", "Invalid Length");
    ExpectThrows(Bytes({9, 3, 0xFF, 0xFF, 2, 1, 3}) + Deflated(EmptyBody()), "Message::uncompress", "Invalid Length");
}

TEST(MessageDecoding, EveryTruncationThrowsInsteadOfReadingOn)
{
    RegisterBlob(84, 5);
    RegisterBlob(85, 300);
    varo::Message message;
    message.AddField(Blob(84, "hello"));
    message.AddField(Blob(85, std::string(300, 'w')));
    for (auto flag : {IMessage::CompressNever, IMessage::CompressAlways}) {
        message.SetCompressFlag(flag);
        const std::string packet = Compress(message);
        for (size_t length = 0; length < packet.size(); ++length)
            EXPECT_THROW(Uncompress(packet.substr(0, length)), my_exception) << "prefix " << length;
    }
}

TEST(MessageDecoding, OptionsMayRunPastTheirAreaButNotPastThePacket)
{
    // Area length 1, yet the option is read whole; the body follows it.
    EXPECT_NO_THROW(Uncompress(Bytes({9, 1, 0, 16, 5, 2, 0, 0}) + EmptyBody()));
    ExpectThrows(Bytes({9, 2, 0, 0, 5, 200, 1}), "bstream::read", "not enough data in buffer");
}
