#pragma once
#include <string>
#include <vector>

#include "cquill.h"
#include "cquill/src/Packet.h"
#include "tests/cquill/src/BlobField.h"

namespace cquill_test {

inline std::shared_ptr<BlobField> Blob(uint32_t pid, std::string body)
{
    return std::make_shared<BlobField>(pid, std::move(body));
}

// Registers a creator of BlobFields of the given pid and body length.
void RegisterBlob(uint32_t pid, size_t length);

// The packet bytes Message::compress writes for the message into a buffer of that size.
std::string Compress(varo::Message& message, size_t bufferSize = 16384);

// Decodes one packet into a fresh message; throws what the codec throws.
varo::Message Uncompress(const std::string& packet, varo::Packet* envelope = nullptr);

// The body of a field of the decoded message.
std::string BodyOf(const varo::Message& message, size_t index);

std::string Hex(const std::string& bytes);

}  // namespace cquill_test
