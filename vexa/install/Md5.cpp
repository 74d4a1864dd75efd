#include "vexa/install/Md5.h"

#include <bit>
#include <cstring>
#include <memory>

#include "platform/file_reader.h"

namespace {

using Word = std::uint32_t;

Word LoadLittleEndian(const unsigned char* bytes)
{
    return Word(bytes[0]) | Word(bytes[1]) << 8 | Word(bytes[2]) << 16 | Word(bytes[3]) << 24;
}

void StoreLittleEndian(Word value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

// The four auxiliary functions, in the equivalent forms that need fewer operations.
Word F(Word x, Word y, Word z) { return z ^ (x & (y ^ z)); }
// The two terms of G never share a bit, so + may replace | and the adds can be reordered.
Word G(Word x, Word y, Word z) { return (x & z) + (y & ~z); }
Word H(Word x, Word y, Word z) { return x ^ y ^ z; }
Word I(Word x, Word y, Word z) { return y ^ (x | ~z); }

template <Word (*Round)(Word, Word, Word)>
inline void Step(Word& a, Word b, Word c, Word d, Word x, Word t, int s)
{
    a = b + std::rotl(a + Round(b, c, d) + x + t, s);
}

void Transform(Word state[4], const unsigned char* block)
{
    Word x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian(block + 4 * i);
    Word a = state[0], b = state[1], c = state[2], d = state[3];

    Step<F>(a, b, c, d, x[0], 0xd76aa478, 7);
    Step<F>(d, a, b, c, x[1], 0xe8c7b756, 12);
    Step<F>(c, d, a, b, x[2], 0x242070db, 17);
    Step<F>(b, c, d, a, x[3], 0xc1bdceee, 22);
    Step<F>(a, b, c, d, x[4], 0xf57c0faf, 7);
    Step<F>(d, a, b, c, x[5], 0x4787c62a, 12);
    Step<F>(c, d, a, b, x[6], 0xa8304613, 17);
    Step<F>(b, c, d, a, x[7], 0xfd469501, 22);
    Step<F>(a, b, c, d, x[8], 0x698098d8, 7);
    Step<F>(d, a, b, c, x[9], 0x8b44f7af, 12);
    Step<F>(c, d, a, b, x[10], 0xffff5bb1, 17);
    Step<F>(b, c, d, a, x[11], 0x895cd7be, 22);
    Step<F>(a, b, c, d, x[12], 0x6b901122, 7);
    Step<F>(d, a, b, c, x[13], 0xfd987193, 12);
    Step<F>(c, d, a, b, x[14], 0xa679438e, 17);
    Step<F>(b, c, d, a, x[15], 0x49b40821, 22);

    Step<G>(a, b, c, d, x[1], 0xf61e2562, 5);
    Step<G>(d, a, b, c, x[6], 0xc040b340, 9);
    Step<G>(c, d, a, b, x[11], 0x265e5a51, 14);
    Step<G>(b, c, d, a, x[0], 0xe9b6c7aa, 20);
    Step<G>(a, b, c, d, x[5], 0xd62f105d, 5);
    Step<G>(d, a, b, c, x[10], 0x02441453, 9);
    Step<G>(c, d, a, b, x[15], 0xd8a1e681, 14);
    Step<G>(b, c, d, a, x[4], 0xe7d3fbc8, 20);
    Step<G>(a, b, c, d, x[9], 0x21e1cde6, 5);
    Step<G>(d, a, b, c, x[14], 0xc33707d6, 9);
    Step<G>(c, d, a, b, x[3], 0xf4d50d87, 14);
    Step<G>(b, c, d, a, x[8], 0x455a14ed, 20);
    Step<G>(a, b, c, d, x[13], 0xa9e3e905, 5);
    Step<G>(d, a, b, c, x[2], 0xfcefa3f8, 9);
    Step<G>(c, d, a, b, x[7], 0x676f02d9, 14);
    Step<G>(b, c, d, a, x[12], 0x8d2a4c8a, 20);

    Step<H>(a, b, c, d, x[5], 0xfffa3942, 4);
    Step<H>(d, a, b, c, x[8], 0x8771f681, 11);
    Step<H>(c, d, a, b, x[11], 0x6d9d6122, 16);
    Step<H>(b, c, d, a, x[14], 0xfde5380c, 23);
    Step<H>(a, b, c, d, x[1], 0xa4beea44, 4);
    Step<H>(d, a, b, c, x[4], 0x4bdecfa9, 11);
    Step<H>(c, d, a, b, x[7], 0xf6bb4b60, 16);
    Step<H>(b, c, d, a, x[10], 0xbebfbc70, 23);
    Step<H>(a, b, c, d, x[13], 0x289b7ec6, 4);
    Step<H>(d, a, b, c, x[0], 0xeaa127fa, 11);
    Step<H>(c, d, a, b, x[3], 0xd4ef3085, 16);
    Step<H>(b, c, d, a, x[6], 0x04881d05, 23);
    Step<H>(a, b, c, d, x[9], 0xd9d4d039, 4);
    Step<H>(d, a, b, c, x[12], 0xe6db99e5, 11);
    Step<H>(c, d, a, b, x[15], 0x1fa27cf8, 16);
    Step<H>(b, c, d, a, x[2], 0xc4ac5665, 23);

    Step<I>(a, b, c, d, x[0], 0xf4292244, 6);
    Step<I>(d, a, b, c, x[7], 0x432aff97, 10);
    Step<I>(c, d, a, b, x[14], 0xab9423a7, 15);
    Step<I>(b, c, d, a, x[5], 0xfc93a039, 21);
    Step<I>(a, b, c, d, x[12], 0x655b59c3, 6);
    Step<I>(d, a, b, c, x[3], 0x8f0ccc92, 10);
    Step<I>(c, d, a, b, x[10], 0xffeff47d, 15);
    Step<I>(b, c, d, a, x[1], 0x85845dd1, 21);
    Step<I>(a, b, c, d, x[8], 0x6fa87e4f, 6);
    Step<I>(d, a, b, c, x[15], 0xfe2ce6e0, 10);
    Step<I>(c, d, a, b, x[6], 0xa3014314, 15);
    Step<I>(b, c, d, a, x[13], 0x4e0811a1, 21);
    Step<I>(a, b, c, d, x[4], 0xf7537e82, 6);
    Step<I>(d, a, b, c, x[11], 0xbd3af235, 10);
    Step<I>(c, d, a, b, x[2], 0x2ad7d2bb, 15);
    Step<I>(b, c, d, a, x[9], 0xeb86d391, 21);

    state[0] += a;
    state[1] += b;
    state[2] += c;
    state[3] += d;
}

// Zeroes through a volatile pointer so the wipe of a dead context is not optimised away.
void Wipe(void* memory, std::size_t size)
{
    volatile unsigned char* bytes = static_cast<volatile unsigned char*>(memory);
    while (size--)
        *bytes++ = 0;
}

}  // namespace

void Md5Init(Md5Context& context)
{
    context.state[0] = 0x67452301;
    context.state[1] = 0xefcdab89;
    context.state[2] = 0x98badcfe;
    context.state[3] = 0x10325476;
    context.count[0] = context.count[1] = 0;
}

void Md5Update(Md5Context& context, const unsigned char* bytes, std::size_t count)
{
    std::size_t used = (context.count[0] >> 3) & 0x3f;
    const std::uint64_t bits = (std::uint64_t(context.count[1]) << 32 | context.count[0]) + (std::uint64_t(count) << 3);
    context.count[0] = static_cast<Word>(bits);
    context.count[1] = static_cast<Word>(bits >> 32);

    if (used != 0) {
        const std::size_t room = 64 - used;
        if (count < room) {
            std::memcpy(context.buffer + used, bytes, count);
            return;
        }
        std::memcpy(context.buffer + used, bytes, room);
        Transform(context.state, context.buffer);
        bytes += room;
        count -= room;
    }
    // Whole blocks are digested where they lie; only a tail is buffered.
    for (; count >= 64; bytes += 64, count -= 64)
        Transform(context.state, bytes);
    if (count != 0)
        std::memcpy(context.buffer, bytes, count);
}

void Md5Final(Md5Context& context, Md5Digest& digest)
{
    unsigned char length[8];
    StoreLittleEndian(context.count[0], length);
    StoreLittleEndian(context.count[1], length + 4);

    static const unsigned char padding[64] = {0x80};
    const std::size_t used = (context.count[0] >> 3) & 0x3f;
    Md5Update(context, padding, used < 56 ? 56 - used : 120 - used);
    Md5Update(context, length, sizeof length);

    for (int i = 0; i < 4; ++i)
        StoreLittleEndian(context.state[i], digest.data() + 4 * i);
    Wipe(&context, sizeof context);
}

std::wstring Md5Hex(const Md5Digest& digest)
{
    static const wchar_t digits[] = L"0123456789abcdef";
    std::wstring text;
    text.reserve(2 * digest.size());
    for (unsigned char byte : digest) {
        text += digits[byte >> 4];
        text += digits[byte & 0x0f];
    }
    return text;
}

std::wstring FileMd5Hex(const std::wstring& path)
{
    platform::CFileReader file;
    if (!file.Open(path))
        return std::wstring();

    // Large blocks keep the number of system calls small; memory use stays fixed.
    // The block is left uninitialised: zeroing it would cost more than digesting a small file.
    constexpr std::size_t kBlockSize = 64 * 1024;
    const auto block = std::make_unique_for_overwrite<unsigned char[]>(kBlockSize);
    Md5Context context;
    Md5Init(context);
    for (;;) {
        const std::ptrdiff_t got = file.Read(block.get(), kBlockSize);
        if (got < 0) {
            // A digest of the bytes read so far would be published as the file's own.
            Wipe(&context, sizeof context);
            return std::wstring();
        }
        if (got == 0)
            break;
        Md5Update(context, block.get(), static_cast<std::size_t>(got));
    }
    Md5Digest digest;
    Md5Final(context, digest);
    return Md5Hex(digest);
}
