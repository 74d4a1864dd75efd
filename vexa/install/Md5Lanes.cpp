#include "vexa/install/Md5Lanes.h"

#include <algorithm>

#include "vexa/install/Md5Core.h"

#if defined(__x86_64__) && !defined(__clang__)
// GCC 12's own AVX-512 shuffles start from an undefined register and warn about it.
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wmaybe-uninitialized"
#include <immintrin.h>
#pragma GCC diagnostic pop
#elif defined(__x86_64__)
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

#if defined(__x86_64__)

using Word8 = Word __attribute__((vector_size(32)));
using Word16 = Word __attribute__((vector_size(64)));

// Lane j of each state word belongs to message j; spare lanes repeat the first
// message and are never stored back.
template <class V, std::size_t Width>
[[gnu::always_inline]] inline void LoadLanes(Md5Context* const contexts[], const unsigned char* const data[],
                                             std::size_t lanes, V state[4], const unsigned char* rows[Width])
{
    for (std::size_t j = 0; j < Width; ++j) {
        const std::size_t from = j < lanes ? j : 0;
        rows[j] = data[from];
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

// The words at rows[j] + offset, 32 bytes a row, become lane j of x[0] to x[7].
[[gnu::target("avx2"), gnu::always_inline]] inline void Transpose8(const unsigned char* const rows[8],
                                                                   std::size_t offset, Word8 x[8])
{
    __m256i r[8], t[8];
    for (int j = 0; j < 8; ++j)
        r[j] = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(rows[j] + offset));
    // Rows interleaved by words, then by pairs of words: half L of r[4k + m] then
    // holds word 4L + m of rows 4k to 4k + 3.
    for (int k = 0; k < 4; ++k) {
        t[2 * k] = _mm256_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
        t[2 * k + 1] = _mm256_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
    }
    for (int k = 0; k < 2; ++k) {
        r[4 * k] = _mm256_unpacklo_epi64(t[4 * k], t[4 * k + 2]);
        r[4 * k + 1] = _mm256_unpackhi_epi64(t[4 * k], t[4 * k + 2]);
        r[4 * k + 2] = _mm256_unpacklo_epi64(t[4 * k + 1], t[4 * k + 3]);
        r[4 * k + 3] = _mm256_unpackhi_epi64(t[4 * k + 1], t[4 * k + 3]);
    }
    for (int m = 0; m < 4; ++m) {
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(&x[m]), _mm256_permute2x128_si256(r[m], r[4 + m], 0x20));
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(&x[4 + m]), _mm256_permute2x128_si256(r[m], r[4 + m], 0x31));
    }
}

// The block at rows[j] + offset becomes lane j of x[0] to x[15].
[[gnu::target("avx512f"), gnu::always_inline]] inline void Transpose16(const unsigned char* const rows[16],
                                                                       std::size_t offset, Word16 x[16])
{
    __m512i r[16], t[16];
    for (int j = 0; j < 16; ++j)
        r[j] = _mm512_loadu_si512(rows[j] + offset);
    // As in Transpose8: 128-bit part L of r[4k + m] then holds word 4L + m of rows
    // 4k to 4k + 3; the parts are then gathered four rows at a time.
    for (int k = 0; k < 8; ++k) {
        t[2 * k] = _mm512_unpacklo_epi32(r[2 * k], r[2 * k + 1]);
        t[2 * k + 1] = _mm512_unpackhi_epi32(r[2 * k], r[2 * k + 1]);
    }
    for (int k = 0; k < 4; ++k) {
        r[4 * k] = _mm512_unpacklo_epi64(t[4 * k], t[4 * k + 2]);
        r[4 * k + 1] = _mm512_unpackhi_epi64(t[4 * k], t[4 * k + 2]);
        r[4 * k + 2] = _mm512_unpacklo_epi64(t[4 * k + 1], t[4 * k + 3]);
        r[4 * k + 3] = _mm512_unpackhi_epi64(t[4 * k + 1], t[4 * k + 3]);
    }
    for (int m = 0; m < 4; ++m) {
        const __m512i low = _mm512_shuffle_i32x4(r[m], r[4 + m], 0x44);  // parts 0 and 1 of rows 0 to 7
        const __m512i high = _mm512_shuffle_i32x4(r[m], r[4 + m], 0xee);
        const __m512i low2 = _mm512_shuffle_i32x4(r[8 + m], r[12 + m], 0x44);  // rows 8 to 15
        const __m512i high2 = _mm512_shuffle_i32x4(r[8 + m], r[12 + m], 0xee);
        _mm512_storeu_si512(&x[m], _mm512_shuffle_i32x4(low, low2, 0x88));
        _mm512_storeu_si512(&x[4 + m], _mm512_shuffle_i32x4(low, low2, 0xdd));
        _mm512_storeu_si512(&x[8 + m], _mm512_shuffle_i32x4(high, high2, 0x88));
        _mm512_storeu_si512(&x[12 + m], _mm512_shuffle_i32x4(high, high2, 0xdd));
    }
}

[[gnu::target("avx2")]] void Update8(Md5Context* const contexts[], const unsigned char* const data[],
                                     std::size_t lanes, std::size_t blocks)
{
    Word8 state[4];
    const unsigned char* rows[8];
    LoadLanes<Word8, 8>(contexts, data, lanes, state, rows);
    for (std::size_t b = 0; b < blocks; ++b) {
        Word8 x[16];
        Transpose8(rows, b * kBlockSize, x);
        Transpose8(rows, b * kBlockSize + 32, x + 8);
        md5_core::Rounds(state, x);
    }
    StoreLanes(contexts, lanes, blocks, state);
}

[[gnu::target("avx512f")]] void Update16(Md5Context* const contexts[], const unsigned char* const data[],
                                         std::size_t lanes, std::size_t blocks)
{
    Word16 state[4];
    const unsigned char* rows[16];
    LoadLanes<Word16, 16>(contexts, data, lanes, state, rows);
    for (std::size_t b = 0; b < blocks; ++b) {
        Word16 x[16];
        Transpose16(rows, b * kBlockSize, x);
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
    if (width == 1 || lanes < kFewestForVectors)
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
