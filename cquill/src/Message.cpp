#include <algorithm>
#include <cstdio>
#include <memory>

#include <zlib.h>

#include "cquill.h"
#include "cquill/src/Packet.h"
#include "cquill/src/ProtocolRegistry.h"
#include "platform/debug_output.h"

namespace varo {

namespace {

constexpr uint32_t compressThreshold = 10240;
// Deflate cannot expand data by more than this factor, so no honest body needs more room.
constexpr uLong maxInflateRatio = 1032;
constexpr uint32_t maxFieldCount = 0xFFFF;
constexpr uint32_t maxFieldLength = 0xFFFF;
constexpr uint32_t maxBodyLength = 0x7FFF;
constexpr uint32_t maxOptionsLength = 0xFF;

[[noreturn]] void ThrowZlibFailure(const char* operation, int result)
{
    switch (result) {
    case Z_MEM_ERROR:
        throw my_exception(operation, "Out Of Memory");
    case Z_VERSION_ERROR:
        throw my_exception(operation, "Version Error");
    default:
        throw my_exception(operation, "Data Error");
    }
}

bool ShouldCompress(IMessage::CompressFlagEnum flag, uint32_t plainLength)
{
    return flag == IMessage::CompressAlways || (flag == IMessage::CompressIfLarge && plainLength >= compressThreshold);
}

void WriteOption(bostream& out, const PacketOption& option)
{
    if (option.data.size() > maxOptionsLength)
        throw my_exception("Message::compress", "option too long");
    out.write(option.type);
    out.write(static_cast<unsigned char>(option.data.size()));
    out.write(option.data.data(), static_cast<unsigned int>(option.data.size()));
}

// Reads every option that starts inside the option area; true when one marks the body compressed.
bool ReadOptions(bistream& in, Packet& packet)
{
    bool compressed = false;
    const uint32_t start = in.offset();
    while (static_cast<int>(in.offset() - start) < packet.optionsLength) {
        PacketOption option;
        unsigned char length = 0;
        in.read(option.type);
        in.read(length);
        for (unsigned i = 0; i < length; ++i) {
            unsigned char byte = 0;
            in.read(byte);
            option.data.push_back(static_cast<char>(byte));
        }
        compressed = compressed || option.type == compressedOptionType;
        packet.options.push_back(std::move(option));
    }
    return compressed;
}

struct ZlibOutput {
    std::unique_ptr<Bytef[]> bytes;
    uLong length = 0;
};

ZlibOutput Deflate(const char* data, uint32_t length)
{
    ZlibOutput output;
    uLongf capacity = compressBound(length);
    output.bytes = std::make_unique_for_overwrite<Bytef[]>(capacity);
    const int result = ::compress(output.bytes.get(), &capacity, reinterpret_cast<const Bytef*>(data), length);
    if (result != Z_OK)
        ThrowZlibFailure("Message::compress", result);
    output.length = capacity;
    return output;
}

// Inflates into an area that starts at twice the input and doubles while the stream needs
// more, up to what deflate can produce from this much input; more than that is not zlib data.
ZlibOutput Inflate(const char* data, uint32_t length)
{
    z_stream stream{};
    stream.next_in = reinterpret_cast<Bytef*>(const_cast<char*>(data));
    stream.avail_in = length;
    int result = inflateInit(&stream);
    if (result != Z_OK)
        ThrowZlibFailure("Message::uncompress", result);
    const std::unique_ptr<z_stream, int (*)(z_stream*)> end(&stream, inflateEnd);

    const uLong limit = std::max<uLong>(length * maxInflateRatio, 1);
    ZlibOutput output;
    uLong capacity = 0;
    do {
        if (stream.total_out == capacity) {
            if (capacity >= limit)
                ThrowZlibFailure("Message::uncompress", Z_DATA_ERROR);
            const uLong grown = std::clamp<uLong>(capacity * 2, std::max<uLong>(2 * length, 1), limit);
            auto area = std::make_unique_for_overwrite<Bytef[]>(grown);
            std::copy_n(output.bytes.get(), stream.total_out, area.get());
            output.bytes = std::move(area);
            capacity = grown;
        }
        stream.next_out = output.bytes.get() + stream.total_out;
        stream.avail_out = static_cast<uInt>(capacity - stream.total_out);
        result = inflate(&stream, Z_NO_FLUSH);
        // Z_BUF_ERROR with room left means the input ended inside the stream.
        if (result == Z_BUF_ERROR && stream.avail_out != 0)
            ThrowZlibFailure("Message::uncompress", Z_DATA_ERROR);
        if (result != Z_OK && result != Z_BUF_ERROR && result != Z_STREAM_END)
            ThrowZlibFailure("Message::uncompress", result == Z_NEED_DICT ? Z_DATA_ERROR : result);
    } while (result != Z_STREAM_END);
    output.length = stream.total_out;
    return output;
}

std::shared_ptr<Field> CreateField(uint32_t pid)
{
    const FieldCreator* creator = ProtocolRegistry::Instance().Find(pid);
    if (!creator)
        return nullptr;
    Field* field = (*creator)();
    return field ? std::shared_ptr<Field>(field) : nullptr;
}

void ReportUnknownPid(uint32_t pid)
{
    char line[32];
    std::snprintf(line, sizeof line, "unknown pid:%d\n", static_cast<int>(pid));
    platform::DebugOutput(line);
}

void EncodeField(bostream& out, Field& field)
{
    out << field.GetPid();
    const uint32_t lengthAt = out.offset();
    out << static_cast<unsigned short>(0);
    const uint32_t start = out.offset();
    field.Encode(out);
    const uint32_t length = out.offset() - start;
    if (out.offset() < start || length > maxFieldLength)
        throw my_exception("Message::Encode", "field too long");
    out.seek(bstream_base::seek_begin, static_cast<int>(lengthAt));
    out << static_cast<unsigned short>(length);
    out.seek(bstream_base::seek_current, static_cast<int>(length));
}

void DecodeField(bistream& in, Message& message)
{
    unsigned int pid = 0;
    unsigned short length = 0;
    in >> pid >> length;
    if (std::shared_ptr<Field> field = CreateField(pid)) {
        field->Decode(in);
        message.AddField(std::move(field));
        return;
    }
    ReportUnknownPid(pid);
    in.seek(bstream_base::seek_current, length);
}

}  // namespace

void Message::Encode(bostream& out) const
{
    if (fields.size() > maxFieldCount)
        throw my_exception("Message::Encode", "too many fields");
    out.write(version);
    out << tid;
    out.write(chain);
    out << extra1 << sequenceNumber << static_cast<unsigned short>(fields.size()) << extra2;
    for (const auto& field : fields) {
        if (!field)
            throw my_exception("Message::Encode", "null field");
        EncodeField(out, *field);
    }
}

void Message::Decode(bistream& in)
{
    unsigned short count = 0;
    in.read(version);
    in >> tid;
    in.read(chain);
    in >> extra1 >> sequenceNumber >> count >> extra2;
    for (unsigned i = 0; i < count; ++i)
        DecodeField(in, *this);
}

void Message::compress(bostream& out, Packet& packet)
{
    out.write(packet.kind);
    out.write(static_cast<unsigned char>(0));
    out << static_cast<short>(0);
    for (const PacketOption& option : packet.options)
        WriteOption(out, option);

    uint32_t bodyStart = out.offset();
    packet.message->Encode(out);
    const uint32_t plainLength = out.offset() - bodyStart;
    if (ShouldCompress(packet.message->compressFlag, plainLength)) {
        const ZlibOutput body = Deflate(out.buffer + bodyStart, plainLength);
        packet.options.push_back({compressedOptionType, std::string(1, compressedOptionData)});
        out.seek(bstream_base::seek_begin, static_cast<int>(bodyStart));
        WriteOption(out, packet.options.back());
        bodyStart = out.offset();
        out.write(reinterpret_cast<const char*>(body.bytes.get()), static_cast<unsigned int>(body.length));
    }

    // Lengths the header cannot carry would make the receiver cut the stream wrongly.
    const uint32_t optionsLength = bodyStart - packetHeaderLength;
    const uint32_t bodyLength = out.offset() - bodyStart;
    if (optionsLength > maxOptionsLength || bodyLength > maxBodyLength)
        throw my_exception("Message::compress", "packet too long");
    packet.optionsLength = static_cast<uint8_t>(optionsLength);
    packet.bodyLength = static_cast<int32_t>(bodyLength);

    out.seek(bstream_base::seek_begin, 0);
    out.write(packet.kind);
    out.write(packet.optionsLength);
    out << static_cast<short>(packet.bodyLength);
    out.seek(bstream_base::seek_current, static_cast<int>(optionsLength + bodyLength));
}

void Message::uncompress(bistream& in, Packet& packet)
{
    short bodyLength = 0;
    in.read(packet.kind);
    in.read(packet.optionsLength);
    in >> bodyLength;
    // No sender produces a negative length; it must never reach an allocation or a seek.
    if (bodyLength < 0)
        throw my_exception("Message::uncompress", "Invalid Length");
    packet.bodyLength = bodyLength;

    if (!ReadOptions(in, packet)) {
        packet.message->Decode(in);
        return;
    }
    const char* input = in.cursor;
    // Checked before zlib reads a byte: a body that runs past the packet is refused here.
    in.seek(bstream_base::seek_current, bodyLength);
    const ZlibOutput body = Inflate(input, static_cast<uint32_t>(bodyLength));
    bistream plain(reinterpret_cast<const char*>(body.bytes.get()), static_cast<uint32_t>(body.length), in.reporter);
    packet.message->Decode(plain);
    packet.bodyLength = static_cast<int32_t>(body.length);
}

}  // namespace varo
