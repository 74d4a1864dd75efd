#pragma once
#include "cquill.h"

#include <cstddef>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace quill::sdr {

// Every separator ends a token, so empty tokens survive; an empty text or
// separator gives the whole text as the only token.
std::vector<std::string> Split(std::string_view text, std::string_view separator);
// Decimal the way atoi reads it: leading blanks, a sign, digits up to the first
// other character; no digits give 0, overflow saturates.
int ReadDecimal(std::string_view text);
std::string_view TrimKey(std::string_view key);
// The first "."-token of the trimmed key is "sdr", in any case.
bool IsValidKey(std::string_view key);
// "PRODUCT" plus "/" and each path segment of the key, upper-cased.
std::string BuildQuery(std::string_view key);

constexpr std::size_t kFrameHeaderSize = 3;
constexpr std::size_t kMaxPayload = 0xFFFF;
// Type byte 0x01, big-endian 16-bit length, payload; none when the payload
// cannot be described by the 16-bit length.
std::optional<std::string> BuildFrame(std::string_view payload);
// The payload length a frame announces; none until its header is complete.
std::optional<std::size_t> AnnouncedLength(std::string_view frame);
// Records split at "|", fields at ":" into entries, empty records included.
std::vector<SdrEntry> ParseEntries(std::string_view payload);

}  // namespace quill::sdr
