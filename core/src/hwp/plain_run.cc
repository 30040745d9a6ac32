// Runs of ordinary characters in paragraph text, copied to UTF-8 in bulk.
//
// Nearly every unit of a paragraph is in such a run. They are written
// through a pointer into room made a block at a time, sparing a capacity
// check per byte; where the machine has SSE2, eight units at a time when
// each is ASCII or takes three bytes (Hangul, Hanja and most punctuation of
// a Korean text), without a branch per unit: over the corpus that halves
// the copy's time, most of it spent on branches mispredicted where spaces
// and syllables alternate.
#include "hwp/plain_run.h"

#include <algorithm>
#include <cstdint>
#include <cstring>

#include "simd.h"
#include "text.h"

#if BRINDLE_SSE2
#include <emmintrin.h>
#endif

namespace brindle {
namespace {

// A run is written a block of units at a time, each into room for its
// longest encoding: a run's length is known only once it ends, and a
// field's short content must not be given room for the whole paragraph.
constexpr std::size_t RUN_BLOCK = 64;

// Bytes past a block's room that the eight-unit writer may overwrite.
constexpr std::size_t RUN_SLACK = PLAIN_RUN_SLACK;

// Write the UTF-8 of one unit at `w`; false for a unit that ends the run,
// which is not written.
bool put_unit(std::uint16_t u, char*& w) {
    // Most characters of a Korean text take three bytes: they are tested for first.
    if (u >= 0x800) {
        if (is_high_surrogate(u) || is_low_surrogate(u)) return false;
        w[0] = static_cast<char>(0xE0 | (u >> 12));
        w[1] = static_cast<char>(0x80 | ((u >> 6) & 0x3F));
        w[2] = static_cast<char>(0x80 | (u & 0x3F));
        w += 3;
    } else if (u >= 0x80) {
        w[0] = static_cast<char>(0xC0 | (u >> 6));
        w[1] = static_cast<char>(0x80 | (u & 0x3F));
        w += 2;
    } else {
        if (u < 32) return false;
        *w++ = static_cast<char>(u);
    }
    return true;
}

#if BRINDLE_SSE2
// The eight units at `p` written at `w` when each is an ASCII character or
// a three-byte one: returns the bytes written, or 0, writing nothing, when
// the eight hold anything else. May write RUN_SLACK bytes past those it
// counts.
std::size_t put_eight_units(const std::uint8_t* p, char* w) {
    const __m128i v = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p));
    // With the top bit flipped, the units order as signed 16-bit lanes compare.
    const __m128i flipped = _mm_xor_si128(v, _mm_set1_epi16(static_cast<short>(0x8000)));
    const auto below = [&](int limit) {
        return _mm_cmplt_epi16(flipped, _mm_set1_epi16(static_cast<short>(limit ^ 0x8000)));
    };
    const __m128i ascii = _mm_andnot_si128(below(0x20), below(0x80));
    const __m128i surrogate = _mm_andnot_si128(below(0xD800), below(0xE000));
    const __m128i short_or_surrogate = _mm_or_si128(below(0x800), surrogate);
    const int ascii_lanes = _mm_movemask_epi8(ascii);
    const int three_byte_lanes = _mm_movemask_epi8(_mm_andnot_si128(short_or_surrogate, _mm_set1_epi16(-1)));
    if ((ascii_lanes | three_byte_lanes) != 0xFFFF) return 0;
    if (ascii_lanes == 0xFFFF) {
        _mm_storel_epi64(reinterpret_cast<__m128i*>(w), _mm_packus_epi16(v, v));
        return 8;
    }
    // Each unit's bytes in the low bytes of a 32-bit lane: E0 | u >> 12,
    // 80 | (u >> 6) & 3F, 80 | u & 3F; or the ASCII character alone.
    const __m128i low6 = _mm_set1_epi16(0x3F);
    const __m128i continuation = _mm_set1_epi16(0x80);
    const __m128i lead = _mm_or_si128(_mm_srli_epi16(v, 12), _mm_set1_epi16(0xE0));
    const __m128i middle = _mm_or_si128(_mm_and_si128(_mm_srli_epi16(v, 6), low6), continuation);
    const __m128i last = _mm_or_si128(_mm_and_si128(v, low6), continuation);
    const __m128i first_two = _mm_or_si128(lead, _mm_slli_epi16(middle, 8));
    const __m128i low_half = _mm_or_si128(_mm_and_si128(ascii, v), _mm_andnot_si128(ascii, first_two));
    const __m128i high_half = _mm_andnot_si128(ascii, last);
    std::size_t n = 0;
    for (__m128i words : {_mm_unpacklo_epi16(low_half, high_half), _mm_unpackhi_epi16(low_half, high_half)}) {
        for (int k = 0; k < 4; ++k) {
            // x86 is little-endian: the lane's low byte is written first.
            const auto word = static_cast<std::uint32_t>(_mm_cvtsi128_si32(words));
            std::memcpy(w + n, &word, sizeof word);
            n += word < 0x80 ? 1 : 3;
            words = _mm_srli_si128(words, 4);
        }
    }
    return n;
}
#endif

}  // namespace

std::size_t append_plain_run(std::string& out, Bytes units) {
    const std::uint8_t* p = units.data();
    const std::uint8_t* const last = p + (units.size() & ~std::size_t{1});
    bool ended = false;
    while (p != last && !ended) {
        const std::size_t block = std::min<std::size_t>((last - p) / 2, RUN_BLOCK);
        const std::size_t start = out.size();
        out.resize(start + 3 * block + RUN_SLACK);
        char* const begin = out.data() + start;
        char* w = begin;
        const std::uint8_t* const end = p + 2 * block;
        while (p != end && !ended) {
#if BRINDLE_SSE2
            if (end - p >= 16) {
                if (const std::size_t written = put_eight_units(p, w)) {
                    w += written;
                    p += 16;
                    continue;
                }
            }
#endif
            // Eight units (or the block's last) one by one.
            const std::uint8_t* const group_end = p + std::min<std::ptrdiff_t>(16, end - p);
            for (; p != group_end; p += 2) {
                if (!put_unit(static_cast<std::uint16_t>(p[0] | (p[1] << 8)), w)) {
                    ended = true;
                    break;
                }
            }
        }
        out.resize(start + static_cast<std::size_t>(w - begin));
    }
    return static_cast<std::size_t>(p - units.data()) / 2;
}

}  // namespace brindle
