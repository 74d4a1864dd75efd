#include "TestFields.h"

#include <cstdio>

namespace cquill_test {

void RegisterBlob(uint32_t pid, size_t length)
{
    RegisterProtocal(pid, [pid, length] { return new BlobField(pid, length); });
}

std::string Compress(varo::Message& message, size_t bufferSize)
{
    std::string buffer(bufferSize, '\0');
    bostream out(buffer.data(), static_cast<uint32_t>(buffer.size()));
    varo::Packet packet;
    packet.message = &message;
    varo::Message::compress(out, packet);
    buffer.resize(out.offset());
    return buffer;
}

varo::Message Uncompress(const std::string& packet, varo::Packet* envelope)
{
    varo::Message message;
    varo::Packet local;
    varo::Packet& used = envelope ? *envelope : local;
    used.message = &message;
    bistream in(packet.data(), static_cast<uint32_t>(packet.size()));
    varo::Message::uncompress(in, used);
    used.message = nullptr;
    return message;
}

std::string BodyOf(const varo::Message& message, size_t index)
{
    return static_cast<BlobField&>(*message.fields.at(index)).body;
}

std::string Hex(const std::string& bytes)
{
    std::string text;
    char digits[4];
    for (unsigned char byte : bytes) {
        std::snprintf(digits, sizeof digits, "%02X ", byte);
        text += digits;
    }
    if (!text.empty())
        text.pop_back();
    return text;
}

}  // namespace cquill_test
