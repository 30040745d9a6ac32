// Numbers in the shapes of paragraph numbering, notes and automatic
// numbers: digits, circled digits, Roman numerals, Latin letters, Hangul
// syllables and jamo, Hangul and Hanja numerals, the heavenly stems.
#include <array>
#include <string_view>

#include "model/numbering.h"
#include "text.h"

namespace brindle {
namespace {

// Characters that repeat in a cycle: the value's place in it, from 1.
void append_cyclic(std::string& out, std::uint32_t value, std::u32string_view cycle) {
    append_utf8(out, cycle[(value - 1) % cycle.size()]);
}

// ① .. ⑳, ㉑ .. ㉟, ㊱ .. ㊿; digits past 50.
void append_circled_digits(std::string& out, std::uint32_t value) {
    if (value <= 20) {
        append_utf8(out, U'\u2460' + (value - 1));
    } else if (value <= 35) {
        append_utf8(out, U'\u3251' + (value - 21));
    } else if (value <= 50) {
        append_utf8(out, U'\u32B1' + (value - 36));
    } else {
        append_decimal(out, value);
    }
}

void append_roman(std::string& out, std::uint32_t value, bool upper) {
    if (value >= 4000) {
        append_decimal(out, value);
        return;
    }
    // clang-format off
    static constexpr std::array<std::pair<std::uint32_t, std::string_view>, 13> numerals{{
        {1000, "M"}, {900, "CM"}, {500, "D"}, {400, "CD"}, {100, "C"}, {90, "XC"}, {50, "L"},
        {40, "XL"}, {10, "X"}, {9, "IX"}, {5, "V"}, {4, "IV"}, {1, "I"},
    }};
    // clang-format on
    for (const auto& [amount, letters] : numerals) {
        for (; value >= amount; value -= amount) {
            for (const char c : letters) out.push_back(upper ? c : static_cast<char>(c - 'A' + 'a'));
        }
    }
}

// A, B, .. Z, AA, BB, .. ZZ, AAA, ...: ten repetitions at most, digits after.
void append_letters(std::string& out, std::uint32_t value, char first) {
    const std::uint32_t repeats = (value - 1) / 26 + 1;
    if (repeats > 10) {
        append_decimal(out, value);
        return;
    }
    out.append(repeats, static_cast<char>(first + (value - 1) % 26));
}

// Sino-Korean and Hanja numerals: groups of four digits under 만 (10^4) and
// 억 (10^8), each digit with its place (천, 백, 십); a lone one before a place
// is not written (십, 백일, 만).
void append_numeral(std::string& out, std::uint32_t value, std::u32string_view digits, std::u32string_view places,
                    std::u32string_view groups) {
    static constexpr std::array<std::uint32_t, 3> group_sizes{100000000, 10000, 1};
    for (std::size_t g = 0; g < group_sizes.size(); ++g) {
        const std::uint32_t group = value / group_sizes[g] % 10000;
        if (group == 0) continue;
        static constexpr std::array<std::uint32_t, 4> place_sizes{1000, 100, 10, 1};
        for (std::size_t p = 0; p < place_sizes.size(); ++p) {
            const std::uint32_t digit = group / place_sizes[p] % 10;
            if (digit == 0) continue;
            const bool has_place = p < 3;
            const bool lone_one = digit == 1 && (has_place || (group == 1 && g < 2));
            if (!lone_one) append_utf8(out, digits[digit - 1]);
            if (has_place) append_utf8(out, places[p]);
        }
        if (g < 2) append_utf8(out, groups[g]);
    }
}

}  // namespace

void append_number(std::string& out, std::uint32_t value, std::uint8_t shape) {
    if (value == 0) {  // no shape but digits has a zero
        out.push_back('0');
        return;
    }
    switch (shape) {
        case SHAPE_CIRCLED_DIGITS: return append_circled_digits(out, value);
        case SHAPE_ROMAN_UPPER: return append_roman(out, value, true);
        case SHAPE_ROMAN_LOWER: return append_roman(out, value, false);
        case SHAPE_LATIN_UPPER: return append_letters(out, value, 'A');
        case SHAPE_LATIN_LOWER: return append_letters(out, value, 'a');
        case SHAPE_CIRCLED_LATIN_UPPER: return append_cyclic(out, value, U"ⒶⒷⒸⒹⒺⒻⒼⒽⒾⒿⓀⓁⓂⓃⓄⓅⓆⓇⓈⓉⓊⓋⓌⓍⓎⓏ");
        case SHAPE_CIRCLED_LATIN_LOWER: return append_cyclic(out, value, U"ⓐⓑⓒⓓⓔⓕⓖⓗⓘⓙⓚⓛⓜⓝⓞⓟⓠⓡⓢⓣⓤⓥⓦⓧⓨⓩ");
        case SHAPE_HANGUL_SYLLABLE: return append_cyclic(out, value, U"가나다라마바사아자차카타파하");
        case SHAPE_CIRCLED_HANGUL_SYLLABLE: return append_cyclic(out, value, U"㉮㉯㉰㉱㉲㉳㉴㉵㉶㉷㉸㉹㉺㉻");
        case SHAPE_HANGUL_JAMO: return append_cyclic(out, value, U"ㄱㄴㄷㄹㅁㅂㅅㅇㅈㅊㅋㅌㅍㅎ");
        case SHAPE_CIRCLED_HANGUL_JAMO: return append_cyclic(out, value, U"㉠㉡㉢㉣㉤㉥㉦㉧㉨㉩㉪㉫㉬㉭");
        case SHAPE_HANGUL_NUMERAL: return append_numeral(out, value, U"일이삼사오육칠팔구", U"천백십", U"억만");
        case SHAPE_HANJA_NUMERAL: return append_numeral(out, value, U"一二三四五六七八九", U"千百十", U"億萬");
        case SHAPE_CIRCLED_HANJA:
            if (value <= 10) return append_utf8(out, U'\u3280' + (value - 1));
            return append_numeral(out, value, U"一二三四五六七八九", U"千百十", U"億萬");
        case SHAPE_HEAVENLY_STEM: return append_cyclic(out, value, U"갑을병정무기경신임계");
        case SHAPE_HEAVENLY_STEM_HANJA: return append_cyclic(out, value, U"甲乙丙丁戊己庚辛壬癸");
        default: return append_decimal(out, value);
    }
}

}  // namespace brindle
