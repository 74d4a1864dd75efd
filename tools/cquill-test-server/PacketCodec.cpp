#include "PacketCodec.h"

#include <stdexcept>

#include <zlib.h>

#include "RawField.h"
#include "cquill/src/Packet.h"

namespace test_server {
namespace {

constexpr uint32_t messageHeaderLength = 16;
constexpr uint32_t fieldHeaderLength = 6;
constexpr uint32_t maxBodyLength = 0x7FFF;

uint32_t PlainLength(const varo::Message& message)
{
    uint32_t length = messageHeaderLength;
    for (const auto& field : message.fields)
        length += fieldHeaderLength + static_cast<uint32_t>(static_cast<RawField&>(*field).Body().size());
    return length;
}

std::string Header(uint8_t optionsLength, uint32_t bodyLength)
{
    std::string header(varo::packetHeaderLength, '\0');
    bostream out(header.data(), varo::packetHeaderLength);
    out.write(varo::packetKind);
    out.write(optionsLength);
    out << static_cast<short>(bodyLength);
    return header;
}

}  // namespace

std::string EncodePacket(varo::Message& message)
{
    // The codec writes the plain body before compressing over it, and zlib may grow
    // incompressible bytes a little: twice the plain length always holds the packet.
    std::string buffer(64 + 2 * PlainLength(message), '\0');
    bostream out(buffer.data(), static_cast<uint32_t>(buffer.size()));
    varo::Packet packet;
    packet.message = &message;
    varo::Message::compress(out, packet);
    buffer.resize(out.offset());
    return buffer;
}

DecodedPacket DecodePacket(const std::string& bytes)
{
    DecodedPacket decoded;
    varo::Packet packet;
    packet.message = &decoded.message;
    bistream in(bytes.data(), static_cast<uint32_t>(bytes.size()));
    varo::Message::uncompress(in, packet);
    for (const auto& option : packet.options)
        decoded.compressed = decoded.compressed || option.type == varo::compressedOptionType;
    return decoded;
}

varo::Message EchoOf(const DecodedPacket& received)
{
    varo::Message echo = received.message;
    echo.compressFlag = received.compressed ? IMessage::CompressAlways : IMessage::CompressNever;
    return echo;
}

std::string InflatingPacket(uint32_t plainLength)
{
    const std::string plain(plainLength, '\0');
    uLongf length = compressBound(plainLength);
    std::string body(length, '\0');
    compress2(reinterpret_cast<Bytef*>(body.data()), &length, reinterpret_cast<const Bytef*>(plain.data()), plainLength,
              Z_BEST_COMPRESSION);
    if (length > maxBodyLength)
        throw std::invalid_argument("its compressed body needs " + std::to_string(length) + " bytes, more than 32767");
    body.resize(length);
    const std::string option{static_cast<char>(varo::compressedOptionType), 1, varo::compressedOptionData};
    return Header(static_cast<uint8_t>(option.size()), length) + option + body;
}

}  // namespace test_server
