#pragma once
#include <cstdint>
#include <string>

#include "cquill.h"

namespace test_server {

struct DecodedPacket {
    varo::Message message;
    bool compressed = false;
};

// The packet bytes the library's codec writes for the message.
std::string EncodePacket(varo::Message& message);
// Throws what the codec throws.
DecodedPacket DecodePacket(const std::string& packet);
// The message of a received packet, sent back as it came: same header, same fields, and
// compressed exactly when the received one was.
varo::Message EchoOf(const DecodedPacket& received);
// A packet whose compressed body inflates to `plainLength` zero bytes; throws
// std::invalid_argument when its body would not fit the 16-bit length.
std::string InflatingPacket(uint32_t plainLength);

}  // namespace test_server
