#pragma once
#include <cstdint>
#include <string>
#include <vector>

#include "cquill.h"

namespace varo {

// Option type 2 marks a compressed body; the sender gives it the single data byte 3.
constexpr uint8_t compressedOptionType = 2;
constexpr char compressedOptionData = 3;
constexpr uint8_t packetKind = 9;
constexpr uint32_t packetHeaderLength = 4;

struct PacketOption {
    uint8_t type = 0;
    std::string data;  // at most 255 bytes
};

// The envelope of one message on the wire: kind, option area, body.
struct Packet {
    uint8_t kind = packetKind;
    uint8_t optionsLength = 0;
    // The wire carries 16 bits; a decoded (inflated) body may be longer.
    int32_t bodyLength = 0;
    std::vector<PacketOption> options;
    Message* message = nullptr;  // not owned
};

}  // namespace varo
