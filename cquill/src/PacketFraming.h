#pragma once
#include <cstdint>

namespace quill::net {

// The length of the packet at the start of a receive buffer, from its 4-byte header:
// 0 while the packet is incomplete, -1 when the header is one no sender produces
// (a negative body length), which the connection cannot recover from.
std::int32_t NextPacketLength(const char* data, std::uint32_t buffered);

}  // namespace quill::net
