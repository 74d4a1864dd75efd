#pragma once
#include <cstdint>

// The parts of MD5 shared by the one-message code (Md5.cpp) and the code that
// digests several messages side by side (Md5Lanes.cpp). The rounds are written
// once for any word type with the 32-bit operators: a plain word for one
// message, or a vector of words whose lane j belongs to message j.
namespace md5_core {

using Word = std::uint32_t;

enum class Round { F, G, H, I };

// One step: a = b + ((a + round(b, c, d) + x + t) <<< S). Arguments are taken by
// reference so that vector words never cross a call boundary by value.
template <Round R, int S, class V>
[[gnu::always_inline]] inline void Step(V& a, const V& b, const V& c, const V& d, const V& x, Word t)
{
    // The terms that do not need b are added first: b is the value the previous
    // step has just produced, so only the last operations wait for it.
    V sum = a + x + t;
    if constexpr (R == Round::F) {
        sum += d ^ (b & (c ^ d));
    } else if constexpr (R == Round::G) {
        // The two terms never share a bit, so + may replace |.
        sum += c & ~d;
        sum += b & d;
    } else if constexpr (R == Round::H) {
        sum += b ^ c ^ d;
    } else {
        sum += c ^ (b | ~d);
    }
    a = b + ((sum << S) | (sum >> (32 - S)));
}

// The 64 steps over one block of 16 words, added to state.
template <class V>
[[gnu::always_inline]] inline void Rounds(V state[4], const V x[16])
{
    using enum Round;
    V a = state[0], b = state[1], c = state[2], d = state[3];

    Step<F, 7>(a, b, c, d, x[0], 0xd76aa478);
    Step<F, 12>(d, a, b, c, x[1], 0xe8c7b756);
    Step<F, 17>(c, d, a, b, x[2], 0x242070db);
    Step<F, 22>(b, c, d, a, x[3], 0xc1bdceee);
    Step<F, 7>(a, b, c, d, x[4], 0xf57c0faf);
    Step<F, 12>(d, a, b, c, x[5], 0x4787c62a);
    Step<F, 17>(c, d, a, b, x[6], 0xa8304613);
    Step<F, 22>(b, c, d, a, x[7], 0xfd469501);
    Step<F, 7>(a, b, c, d, x[8], 0x698098d8);
    Step<F, 12>(d, a, b, c, x[9], 0x8b44f7af);
    Step<F, 17>(c, d, a, b, x[10], 0xffff5bb1);
    Step<F, 22>(b, c, d, a, x[11], 0x895cd7be);
    Step<F, 7>(a, b, c, d, x[12], 0x6b901122);
    Step<F, 12>(d, a, b, c, x[13], 0xfd987193);
    Step<F, 17>(c, d, a, b, x[14], 0xa679438e);
    Step<F, 22>(b, c, d, a, x[15], 0x49b40821);

    Step<G, 5>(a, b, c, d, x[1], 0xf61e2562);
    Step<G, 9>(d, a, b, c, x[6], 0xc040b340);
    Step<G, 14>(c, d, a, b, x[11], 0x265e5a51);
    Step<G, 20>(b, c, d, a, x[0], 0xe9b6c7aa);
    Step<G, 5>(a, b, c, d, x[5], 0xd62f105d);
    Step<G, 9>(d, a, b, c, x[10], 0x02441453);
    Step<G, 14>(c, d, a, b, x[15], 0xd8a1e681);
    Step<G, 20>(b, c, d, a, x[4], 0xe7d3fbc8);
    Step<G, 5>(a, b, c, d, x[9], 0x21e1cde6);
    Step<G, 9>(d, a, b, c, x[14], 0xc33707d6);
    Step<G, 14>(c, d, a, b, x[3], 0xf4d50d87);
    Step<G, 20>(b, c, d, a, x[8], 0x455a14ed);
    Step<G, 5>(a, b, c, d, x[13], 0xa9e3e905);
    Step<G, 9>(d, a, b, c, x[2], 0xfcefa3f8);
    Step<G, 14>(c, d, a, b, x[7], 0x676f02d9);
    Step<G, 20>(b, c, d, a, x[12], 0x8d2a4c8a);

    Step<H, 4>(a, b, c, d, x[5], 0xfffa3942);
    Step<H, 11>(d, a, b, c, x[8], 0x8771f681);
    Step<H, 16>(c, d, a, b, x[11], 0x6d9d6122);
    Step<H, 23>(b, c, d, a, x[14], 0xfde5380c);
    Step<H, 4>(a, b, c, d, x[1], 0xa4beea44);
    Step<H, 11>(d, a, b, c, x[4], 0x4bdecfa9);
    Step<H, 16>(c, d, a, b, x[7], 0xf6bb4b60);
    Step<H, 23>(b, c, d, a, x[10], 0xbebfbc70);
    Step<H, 4>(a, b, c, d, x[13], 0x289b7ec6);
    Step<H, 11>(d, a, b, c, x[0], 0xeaa127fa);
    Step<H, 16>(c, d, a, b, x[3], 0xd4ef3085);
    Step<H, 23>(b, c, d, a, x[6], 0x04881d05);
    Step<H, 4>(a, b, c, d, x[9], 0xd9d4d039);
    Step<H, 11>(d, a, b, c, x[12], 0xe6db99e5);
    Step<H, 16>(c, d, a, b, x[15], 0x1fa27cf8);
    Step<H, 23>(b, c, d, a, x[2], 0xc4ac5665);

    Step<I, 6>(a, b, c, d, x[0], 0xf4292244);
    Step<I, 10>(d, a, b, c, x[7], 0x432aff97);
    Step<I, 15>(c, d, a, b, x[14], 0xab9423a7);
    Step<I, 21>(b, c, d, a, x[5], 0xfc93a039);
    Step<I, 6>(a, b, c, d, x[12], 0x655b59c3);
    Step<I, 10>(d, a, b, c, x[3], 0x8f0ccc92);
    Step<I, 15>(c, d, a, b, x[10], 0xffeff47d);
    Step<I, 21>(b, c, d, a, x[1], 0x85845dd1);
    Step<I, 6>(a, b, c, d, x[8], 0x6fa87e4f);
    Step<I, 10>(d, a, b, c, x[15], 0xfe2ce6e0);
    Step<I, 15>(c, d, a, b, x[6], 0xa3014314);
    Step<I, 21>(b, c, d, a, x[13], 0x4e0811a1);
    Step<I, 6>(a, b, c, d, x[4], 0xf7537e82);
    Step<I, 10>(d, a, b, c, x[11], 0xbd3af235);
    Step<I, 15>(c, d, a, b, x[2], 0x2ad7d2bb);
    Step<I, 21>(b, c, d, a, x[9], 0xeb86d391);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// Adds a number of bytes to a bit count kept modulo 2^64, low half first.
inline void CountBytes(Word count[2], std::uint64_t bytes)
{
    const std::uint64_t bits = (std::uint64_t(count[1]) << 32 | count[0]) + (bytes << 3);
    count[0] = static_cast<Word>(bits);
    count[1] = static_cast<Word>(bits >> 32);
}

}  // namespace md5_core
