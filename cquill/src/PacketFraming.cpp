#include "cquill/src/PacketFraming.h"

#include "cquill/src/Packet.h"

namespace quill::net {

std::int32_t NextPacketLength(const char* data, std::uint32_t buffered)
{
    if (buffered < varo::packetHeaderLength)
        return 0;
    const auto optionsLength = static_cast<unsigned char>(data[1]);
    const auto bodyLength = static_cast<std::int16_t>(static_cast<unsigned char>(data[2]) << 8 | static_cast<unsigned char>(data[3]));
    // Taken as is, a negative body would deliver a length below the header and move the
    // buffer's bytes backwards: the stream can no longer be cut, so the caller closes.
    if (bodyLength < 0)
        return -1;
    const std::uint32_t length = varo::packetHeaderLength + optionsLength + static_cast<std::uint32_t>(bodyLength);
    return buffered >= length ? static_cast<std::int32_t>(length) : 0;
}

}  // namespace quill::net
