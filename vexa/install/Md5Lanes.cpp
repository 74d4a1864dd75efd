#include "vexa/install/Md5Lanes.h"

#include <algorithm>
#include <cstdint>
#include <limits>

#include "vexa/install/Md5Core.h"

#if defined(__x86_64__)
#include <immintrin.h>
#endif

namespace {

using md5_core::Word;

constexpr std::size_t kBlockSize = 64;
// A vector pass costs about as much as three or four single blocks, so fewer
// messages than this go one at a time.
constexpr std::size_t kFewestForVectors = 4;

void UpdateOneByOne(Md5Context* const contexts[], const unsigned char* const data[], std::size_t lanes,
                    std::size_t blocks)
{
    for (std::size_t j = 0; j < lanes; ++j)
        Md5Update(*contexts[j], data[j], blocks * kBlockSize);
}

// The vector passes fetch every message's words relative to the first message's
// bytes, with 32-bit offsets.
bool WithinOffsetReach(const unsigned char* const data[], std::size_t lanes)
{
    return std::all_of(data, data + lanes, [first = data[0]](const unsigned char* bytes) {
        const std::ptrdiff_t offset = bytes - first;
        return offset >= std::numeric_limits<std::int32_t>::min() && offset <= std::numeric_limits<std::int32_t>::max();
    });
}

#if defined(__x86_64__)

using Word8 = Word __attribute__((vector_size(32)));
using Word16 = Word __attribute__((vector_size(64)));

// Lane j of each state word and offset belongs to message j; spare lanes repeat
// the first message and are never stored back.
template <class V, std::size_t Width>
[[gnu::always_inline]] inline void LoadLanes(Md5Context* const contexts[], const unsigned char* const data[],
                                             std::size_t lanes, V state[4], V& offsets)
{
    for (std::size_t j = 0; j < Width; ++j) {
        const std::size_t from = j < lanes ? j : 0;
        offsets[j] = static_cast<Word>(data[from] - data[0]);
        for (int k = 0; k < 4; ++k)
            state[k][j] = contexts[from]->state[k];
    }
}

template <class V>
[[gnu::always_inline]] inline void StoreLanes(Md5Context* const contexts[], std::size_t lanes, std::size_t blocks,
                                              const V state[4])
{
    for (std::size_t j = 0; j < lanes; ++j) {
        for (int k = 0; k < 4; ++k)
            contexts[j]->state[k] = state[k][j];
        md5_core::CountBytes(contexts[j]->count, blocks * kBlockSize);
    }
}

[[gnu::target("avx2")]] void Update8(Md5Context* const contexts[], const unsigned char* const data[],
                                     std::size_t lanes, std::size_t blocks)
{
    Word8 state[4], offsets;
    LoadLanes<Word8, 8>(contexts, data, lanes, state, offsets);
    const __m256i index = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(&offsets));
    const unsigned char* block = data[0];
    for (std::size_t b = 0; b < blocks; ++b, block += kBlockSize) {
        Word8 x[16];
        for (int i = 0; i < 16; ++i)
            _mm256_storeu_si256(reinterpret_cast<__m256i*>(&x[i]),
                                _mm256_i32gather_epi32(reinterpret_cast<const int*>(block + 4 * i), index, 1));
        md5_core::Rounds(state, x);
    }
    StoreLanes(contexts, lanes, blocks, state);
}

[[gnu::target("avx512f")]] void Update16(Md5Context* const contexts[], const unsigned char* const data[],
                                         std::size_t lanes, std::size_t blocks)
{
    Word16 state[4], offsets;
    LoadLanes<Word16, 16>(contexts, data, lanes, state, offsets);
    const __m512i index = _mm512_loadu_si512(&offsets);
    // The masked form, with every lane enabled: the plain one leaves GCC's header
    // reading an undefined register.
    const __m512i zero = _mm512_setzero_si512();
    const unsigned char* block = data[0];
    for (std::size_t b = 0; b < blocks; ++b, block += kBlockSize) {
        Word16 x[16];
        for (int i = 0; i < 16; ++i)
            _mm512_storeu_si512(&x[i], _mm512_mask_i32gather_epi32(zero, 0xffff, index, block + 4 * i, 1));
        md5_core::Rounds(state, x);
    }
    StoreLanes(contexts, lanes, blocks, state);
}

std::size_t ProcessorWidth()
{
    __builtin_cpu_init();
    if (__builtin_cpu_supports("avx512f"))
        return 16;
    return __builtin_cpu_supports("avx2") ? 8 : 1;
}

#else

std::size_t ProcessorWidth() { return 1; }

#endif

void UpdateGroup(Md5Context* const contexts[], const unsigned char* const data[], std::size_t lanes,
                 std::size_t blocks, std::size_t width)
{
    if (width == 1 || lanes < kFewestForVectors || !WithinOffsetReach(data, lanes))
        return UpdateOneByOne(contexts, data, lanes, blocks);
#if defined(__x86_64__)
    if (width == 16)
        return Update16(contexts, data, lanes, blocks);
    Update8(contexts, data, lanes, blocks);
#endif
}

}  // namespace

std::size_t Md5LaneWidth()
{
    static const std::size_t width = ProcessorWidth();
    return width;
}

void Md5UpdateLanes(Md5Context* const contexts[], const unsigned char* const data[], std::size_t lanes,
                    std::size_t blocks, std::size_t width)
{
    width = std::min(width, Md5LaneWidth());
    width = width >= 16 ? 16 : width >= 8 ? 8 : 1;
    while (lanes > 0) {
        const std::size_t group = std::min(lanes, width);
        UpdateGroup(contexts, data, group, blocks, width);
        contexts += group;
        data += group;
        lanes -= group;
    }
}
