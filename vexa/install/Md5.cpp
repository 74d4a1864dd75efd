#include "vexa/install/Md5.h"

#include <cstring>
#include <memory>

#include "platform/file_reader.h"
#include "vexa/install/Md5Core.h"

namespace {

using md5_core::Word;

Word LoadLittleEndian(const unsigned char* bytes)
{
    return Word(bytes[0]) | Word(bytes[1]) << 8 | Word(bytes[2]) << 16 | Word(bytes[3]) << 24;
}

void StoreLittleEndian(Word value, unsigned char* bytes)
{
    for (int i = 0; i < 4; ++i)
        bytes[i] = static_cast<unsigned char>(value >> (8 * i));
}

void Transform(Word state[4], const unsigned char* block)
{
    Word x[16];
    for (int i = 0; i < 16; ++i)
        x[i] = LoadLittleEndian(block + 4 * i);
    md5_core::Rounds(state, x);
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
    const std::size_t used = Md5BufferedBytes(context);
    md5_core::CountBytes(context.count, count);

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
    const std::size_t used = Md5BufferedBytes(context);
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
