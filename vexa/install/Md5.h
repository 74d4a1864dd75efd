#pragma once
#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

// MD5 message digest (RFC 1321).
struct Md5Context {
    std::uint32_t state[4];
    std::uint32_t count[2];  // bits processed, modulo 2^64, low half first
    unsigned char buffer[64];
};

using Md5Digest = std::array<unsigned char, 16>;

void Md5Init(Md5Context& context);
void Md5Update(Md5Context& context, const unsigned char* bytes, std::size_t count);
// Pads, appends the bit count, hands out the digest and wipes the context.
void Md5Final(Md5Context& context, Md5Digest& digest);

// Bytes waiting in the context for the rest of their block (0 to 63).
inline std::size_t Md5BufferedBytes(const Md5Context& context) { return (context.count[0] >> 3) & 0x3f; }

// The digest as 32 lowercase hexadecimal digits.
std::wstring Md5Hex(const Md5Digest& digest);

// Digest of a file's bytes as 32 lowercase hexadecimal digits; empty when the
// file cannot be opened or a read fails part way.
std::wstring FileMd5Hex(const std::wstring& path);
