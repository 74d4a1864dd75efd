// Encode and decode throughput of the message codec, next to zlib's own compress and
// uncompress of the same body bytes: the difference is what the codec adds.

#include <string>

#include <benchmark/benchmark.h>
#include <zlib.h>

#include "cquill.h"
#include "cquill/src/Packet.h"
#include "cquill/src/bstream.h"

namespace {

constexpr uint32_t smallPid = 501;
constexpr uint32_t largePid = 502;
constexpr size_t smallFieldBody = 40;  // 16 + 4 * (6 + 40) = 200 bytes of body
constexpr size_t largeFieldBody = 3000;  // 16 + 4 * (6 + 3000), about 12 KB

// A length-prefixed byte string, copied as a block as a careful client would.
class BytesField : public varo::Field {
public:
    explicit BytesField(uint32_t pid, std::string body = {}) : pid_(pid), body_(std::move(body)) {}

    void Encode(bostream& stream) override
    {
        stream << static_cast<unsigned short>(body_.size());
        stream.write(body_.data(), static_cast<unsigned>(body_.size()));
    }
    void Decode(bistream& stream) override
    {
        unsigned short length = 0;
        stream >> length;
        const char* at = stream.cursor;
        stream.seek(bstream_base::seek_current, length);
        body_.assign(at, length);
    }
    uint32_t GetPid() override { return pid_; }

private:
    uint32_t pid_;
    std::string body_;
};

// Text-like bytes that deflate to roughly a third.
std::string Compressible(size_t length, unsigned seed)
{
    static const char* const words[] = {"player ", "moves ", "to ", "zone ", "north ", "gate ", "with ", "items "};
    std::string text;
    while (text.size() < length) {
        seed = seed * 1103515245u + 12345u;
        text += words[(seed >> 16) % 8];
        text += static_cast<char>('0' + (seed >> 8) % 10);
    }
    text.resize(length);
    return text;
}

varo::Message MakeMessage(uint32_t pid, size_t fieldBody, IMessage::CompressFlagEnum flag)
{
    varo::Message message;
    message.SetCompressFlag(flag);
    for (unsigned i = 0; i < 4; ++i)
        message.AddField(std::make_shared<BytesField>(pid, Compressible(fieldBody - 2, i + 1)));
    return message;
}

void RegisterFields()
{
    RegisterProtocal(smallPid, [] { return new BytesField(smallPid); });
    RegisterProtocal(largePid, [] { return new BytesField(largePid); });
}

struct Encoded {
    std::string buffer = std::string(16384, '\0');
    uint32_t length = 0;
};

void Encode(varo::Message& message, Encoded& out)
{
    bostream stream(out.buffer.data(), static_cast<uint32_t>(out.buffer.size()), quill::LogStreamFailure);
    varo::Packet packet;
    packet.message = &message;
    varo::Message::compress(stream, packet);
    out.length = stream.offset();
}

void Decode(const Encoded& in)
{
    varo::Message message;
    varo::Packet packet;
    packet.message = &message;
    bistream stream(in.buffer.data(), in.length, quill::LogStreamFailure);
    varo::Message::uncompress(stream, packet);
    benchmark::DoNotOptimize(message.fields.data());
}

std::string PlainBody(varo::Message& message)
{
    std::string buffer(16384, '\0');
    bostream stream(buffer.data(), static_cast<uint32_t>(buffer.size()));
    message.Encode(stream);
    buffer.resize(stream.offset());
    return buffer;
}

void Count(benchmark::State& state, size_t bytes)
{
    state.SetItemsProcessed(state.iterations());
    state.SetBytesProcessed(static_cast<int64_t>(state.iterations() * bytes));
}

void SmallEncode(benchmark::State& state)
{
    varo::Message message = MakeMessage(smallPid, smallFieldBody, IMessage::CompressIfLarge);
    Encoded out;
    for (auto _ : state)
        Encode(message, out);
    Count(state, out.length);
}

void SmallDecode(benchmark::State& state)
{
    RegisterFields();
    varo::Message message = MakeMessage(smallPid, smallFieldBody, IMessage::CompressIfLarge);
    Encoded in;
    Encode(message, in);
    for (auto _ : state)
        Decode(in);
    Count(state, in.length);
}

void SmallRoundTrip(benchmark::State& state)
{
    RegisterFields();
    varo::Message message = MakeMessage(smallPid, smallFieldBody, IMessage::CompressIfLarge);
    Encoded packet;
    for (auto _ : state) {
        Encode(message, packet);
        Decode(packet);
    }
    Count(state, packet.length);
}

void LargeEncode(benchmark::State& state)
{
    varo::Message message = MakeMessage(largePid, largeFieldBody, IMessage::CompressIfLarge);
    Encoded out;
    for (auto _ : state)
        Encode(message, out);
    Count(state, PlainBody(message).size());
}

void LargeDecode(benchmark::State& state)
{
    RegisterFields();
    varo::Message message = MakeMessage(largePid, largeFieldBody, IMessage::CompressIfLarge);
    Encoded in;
    Encode(message, in);
    for (auto _ : state)
        Decode(in);
    Count(state, PlainBody(message).size());
}

void ZlibCompressReference(benchmark::State& state)
{
    varo::Message message = MakeMessage(largePid, largeFieldBody, IMessage::CompressIfLarge);
    const std::string plain = PlainBody(message);
    std::string out(compressBound(plain.size()), '\0');
    for (auto _ : state) {
        uLongf length = out.size();
        compress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(plain.data()), plain.size());
        benchmark::DoNotOptimize(length);
    }
    Count(state, plain.size());
}

void ZlibUncompressReference(benchmark::State& state)
{
    varo::Message message = MakeMessage(largePid, largeFieldBody, IMessage::CompressIfLarge);
    const std::string plain = PlainBody(message);
    std::string packed(compressBound(plain.size()), '\0');
    uLongf packedLength = packed.size();
    compress(reinterpret_cast<Bytef*>(packed.data()), &packedLength, reinterpret_cast<const Bytef*>(plain.data()),
             plain.size());
    std::string out(plain.size(), '\0');
    for (auto _ : state) {
        uLongf length = out.size();
        uncompress(reinterpret_cast<Bytef*>(out.data()), &length, reinterpret_cast<const Bytef*>(packed.data()),
                   packedLength);
        benchmark::DoNotOptimize(length);
    }
    Count(state, plain.size());
}

}  // namespace

BENCHMARK(SmallEncode);
BENCHMARK(SmallDecode);
BENCHMARK(SmallRoundTrip);
BENCHMARK(LargeEncode);
BENCHMARK(ZlibCompressReference);
BENCHMARK(LargeDecode);
BENCHMARK(ZlibUncompressReference);

BENCHMARK_MAIN();
