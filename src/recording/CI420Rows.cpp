#include "CI420Rows.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#include <immintrin.h>
#define RAVLIN_AVX2_ROWS 1
#endif

namespace {
// The sums keep every intermediate value positive, so the arithmetic stays unsigned.
inline std::uint32_t Red(std::uint32_t p) {
    return p >> 16 & 0xFF;
}
inline std::uint32_t Green(std::uint32_t p) {
    return p >> 8 & 0xFF;
}
inline std::uint32_t Blue(std::uint32_t p) {
    return p & 0xFF;
}
constexpr std::uint32_t kChromaBias = (128u << 10) + 512; // the offset and the rounding

#ifdef RAVLIN_AVX2_ROWS
// Luma of 8 pixels as 32-bit values in pixel order. Each pixel's bytes widened to 16 bits and
// multiplied pairwise (B*25 + G*129, R*66 + A*0) are exact, and the pairs summed.
__attribute__((target("avx2"))) inline __m256i LumaOf8(const std::uint32_t* pixels) {
    const __m256i coefficients = _mm256_set1_epi64x(0x0000004200810019LL);
    const __m256i zero = _mm256_setzero_si256();
    const __m256i p = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(pixels));
    // Per 128-bit half: pixels 0, 1 (and 4, 5) low, 2, 3 (and 6, 7) high; the horizontal sum
    // puts them back in order.
    const __m256i sums =
        _mm256_hadd_epi32(_mm256_madd_epi16(_mm256_unpacklo_epi8(p, zero), coefficients),
                          _mm256_madd_epi16(_mm256_unpackhi_epi8(p, zero), coefficients));
    return _mm256_add_epi32(_mm256_srli_epi32(_mm256_add_epi32(sums, _mm256_set1_epi32(128)), 8),
                            _mm256_set1_epi32(16));
}

__attribute__((target("avx2"))) void LumaAvx2(const std::uint32_t* source, std::uint8_t* target,
                                              int width) {
    // The packs interleave the 128-bit halves; one permutation of 32-bit groups undoes it.
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    int x = 0;
    for (; x + 32 <= width; x += 32) {
        const __m256i low = _mm256_packus_epi32(LumaOf8(source + x), LumaOf8(source + x + 8));
        const __m256i high =
            _mm256_packus_epi32(LumaOf8(source + x + 16), LumaOf8(source + x + 24));
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(low, high), order);
        _mm256_storeu_si256(reinterpret_cast<__m256i*>(target + x), bytes);
    }
    CI420Rows::LumaPlain(source + x, target + x, width - x);
}

// One chroma part (U or V) of 8 samples from 16 pixels of each row, before the bias and the
// shift, in the sample order 0, 1, 4, 5 | 2, 3, 6, 7.
__attribute__((target("avx2"))) inline __m256i ChromaOf8(const __m256i columns[4],
                                                         __m256i coefficients) {
    // Each pixel's contribution, both rows already added, then the pairs of columns.
    const __m256i first = _mm256_hadd_epi32(_mm256_madd_epi16(columns[0], coefficients),
                                            _mm256_madd_epi16(columns[1], coefficients));
    const __m256i second = _mm256_hadd_epi32(_mm256_madd_epi16(columns[2], coefficients),
                                             _mm256_madd_epi16(columns[3], coefficients));
    return _mm256_hadd_epi32(first, second);
}

__attribute__((target("avx2"))) void ChromaAvx2(const std::uint32_t* row0,
                                                const std::uint32_t* row1, std::uint8_t* u,
                                                std::uint8_t* v, int pairs) {
    // Signed 16-bit weights of blue, green, red and alpha.
    const __m256i toU = _mm256_set1_epi64x(static_cast<long long>(0x0000FFDAFFB60070ULL));
    const __m256i toV = _mm256_set1_epi64x(static_cast<long long>(0x00000070FFA2FFEEULL));
    const __m256i bias = _mm256_set1_epi32(static_cast<int>(kChromaBias));
    const __m256i zero = _mm256_setzero_si256();
    const __m256i order = _mm256_setr_epi32(0, 4, 1, 5, 2, 6, 3, 7);
    const __m128i samples = _mm_setr_epi8(0, 1, 4, 5, 2, 3, 6, 7, 8, 9, 12, 13, 10, 11, 14, 15);
    int c = 0;
    for (; c + 8 <= pairs; c += 8) {
        __m256i columns[4];
        for (int half = 0; half < 2; ++half) {
            const __m256i a =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row0 + 2 * c + 8 * half));
            const __m256i b =
                _mm256_loadu_si256(reinterpret_cast<const __m256i*>(row1 + 2 * c + 8 * half));
            columns[2 * half] =
                _mm256_add_epi16(_mm256_unpacklo_epi8(a, zero), _mm256_unpacklo_epi8(b, zero));
            columns[2 * half + 1] =
                _mm256_add_epi16(_mm256_unpackhi_epi8(a, zero), _mm256_unpackhi_epi8(b, zero));
        }
        const __m256i uValues =
            _mm256_srli_epi32(_mm256_add_epi32(ChromaOf8(columns, toU), bias), 10);
        const __m256i vValues =
            _mm256_srli_epi32(_mm256_add_epi32(ChromaOf8(columns, toV), bias), 10);
        const __m256i words = _mm256_packus_epi32(uValues, vValues);
        const __m256i bytes = _mm256_permutevar8x32_epi32(_mm256_packus_epi16(words, words), order);
        const __m128i both = _mm_shuffle_epi8(_mm256_castsi256_si128(bytes), samples);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(u + c), both);
        _mm_storel_epi64(reinterpret_cast<__m128i*>(v + c), _mm_unpackhi_epi64(both, both));
    }
    CI420Rows::ChromaPlain(row0 + 2 * c, row1 + 2 * c, u + c, v + c, pairs - c);
}

bool HasAvx2() {
    static const bool has = (__builtin_cpu_init(), __builtin_cpu_supports("avx2"));
    return has;
}
#endif
} // namespace

void CI420Rows::LumaPlain(const std::uint32_t* source, std::uint8_t* target, int width) {
    for (int x = 0; x < width; ++x) {
        const std::uint32_t p = source[x];
        target[x] = static_cast<std::uint8_t>(
            ((66 * Red(p) + 129 * Green(p) + 25 * Blue(p) + 128) >> 8) + 16);
    }
}

void CI420Rows::ChromaPlain(const std::uint32_t* row0, const std::uint32_t* row1, std::uint8_t* u,
                            std::uint8_t* v, int pairs) {
    for (int c = 0; c < pairs; ++c) {
        const std::uint32_t a = row0[2 * c], b = row0[2 * c + 1];
        const std::uint32_t d = row1[2 * c], e = row1[2 * c + 1];
        const std::uint32_t r = Red(a) + Red(b) + Red(d) + Red(e);
        const std::uint32_t g = Green(a) + Green(b) + Green(d) + Green(e);
        const std::uint32_t bl = Blue(a) + Blue(b) + Blue(d) + Blue(e);
        // The bias is added before the negative terms: the sum never drops below 0.
        u[c] = static_cast<std::uint8_t>((112 * bl + kChromaBias - 38 * r - 74 * g) >> 10);
        v[c] = static_cast<std::uint8_t>((112 * r + kChromaBias - 94 * g - 18 * bl) >> 10);
    }
}

bool CI420Rows::UsesVectors() {
#ifdef RAVLIN_AVX2_ROWS
    return HasAvx2();
#else
    return false;
#endif
}

void CI420Rows::Luma(const std::uint32_t* source, std::uint8_t* target, int width) {
#ifdef RAVLIN_AVX2_ROWS
    if (HasAvx2())
        return LumaAvx2(source, target, width);
#endif
    LumaPlain(source, target, width);
}

void CI420Rows::Chroma(const std::uint32_t* row0, const std::uint32_t* row1, std::uint8_t* u,
                       std::uint8_t* v, int pairs) {
#ifdef RAVLIN_AVX2_ROWS
    if (HasAvx2())
        return ChromaAvx2(row0, row1, u, v, pairs);
#endif
    ChromaPlain(row0, row1, u, v, pairs);
}
