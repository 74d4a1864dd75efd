#include "tests/support/PackBytes.h"

#include "tests/support/RandomBytes.h"

#include <algorithm>

namespace testing_support {

namespace {

constexpr std::size_t kBlock = 64 << 10;

std::string TextBlock(unsigned seed)
{
    static const char* const kWords[] = {"sword ", "shield ", "dragon ", "castle ", "potion ", "quest ", "map "};
    std::string text;
    for (unsigned i = seed; text.size() < kBlock; i = i * 1103515245u + 12345u)
        text += kWords[(i >> 16) % 7];
    return text.substr(0, kBlock);
}

}  // namespace

std::string PackBytes(std::size_t size, unsigned seed)
{
    std::string pack;
    pack.reserve(size + kBlock);
    const std::string random = RandomBytes(size / 2 + kBlock, seed);
    for (std::size_t block = 0; pack.size() < size; ++block)
        pack += block % 2 ? random.substr(block / 2 * kBlock, kBlock) : TextBlock(seed + static_cast<unsigned>(block % 8));
    pack.resize(size);
    return pack;
}

std::string ChangedPack(const std::string& pack, int places, std::size_t changedBytes, std::size_t inserted,
                        unsigned seed)
{
    std::string changed = pack;
    const std::size_t piece = changedBytes / static_cast<std::size_t>(places);
    const std::string fresh = RandomBytes(changedBytes + inserted, seed);
    const std::size_t stride = pack.size() / static_cast<std::size_t>(places);
    for (int i = 0; i < places; ++i) {
        const std::size_t at = std::min(static_cast<std::size_t>(i) * stride + stride / 3, pack.size() - piece);
        changed.replace(at, piece, fresh, static_cast<std::size_t>(i) * piece, piece);
    }
    changed.insert(changed.size() / 2, fresh, changedBytes, inserted);
    return changed;
}

}  // namespace testing_support
