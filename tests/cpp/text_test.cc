// Tests of the UTF-8 helpers: which characters count as white space, trimming
// by whole characters, and strict UTF-16LE decoding.
#include <gtest/gtest.h>

#include <string>
#include <string_view>

#include "test_support.h"
#include "text.h"

namespace brindle {
namespace {

using test::ByteWriter;

TEST(WhiteSpace, ExactlyTheWhiteSpaceProperty) {
    const std::u32string_view white = U"\t\n\v\f\r \x85\xA0\u1680\u2000\u2005\u200A\u2028\u2029\u202F\u205F\u3000";
    for (char32_t c : white) EXPECT_TRUE(is_white_space(c)) << static_cast<unsigned>(c);
    // Neighbours of each range, the separators 1C-1F that some libraries call
    // space, and format characters that only look blank.
    const std::u32string_view other(
        U"\0\x08\x0E\x1C\x1F!\x84\xA1\u180E\u1FFF\u200B\u2027\u2030\u205E\u3001\uFEFF\uE000", 17);
    for (char32_t c : other) EXPECT_FALSE(is_white_space(c)) << static_cast<unsigned>(c);
}

TEST(Trim, RemovesWholeWhiteSpaceCharactersOnly) {
    // U+3000 (E3 80 80), U+00A0 (C2 A0) | U+2028 (E2 80 A8), U+0085 (C2 85).
    // clang-format off
    EXPECT_EQ(trim(" \t\xE3\x80\x80\xC2\xA0" "a b" "\xE2\x80\xA8\xC2\x85\n"), "a b");
    EXPECT_EQ(trim(" \xE3\x80\x80 "), "");
    // U+200B (E2 80 8B, same first bytes as U+2000) and U+3001 (E3 80 81) stay.
    EXPECT_EQ(trim("\xE2\x80\x8B" "a" "\xE3\x80\x81"), "\xE2\x80\x8B" "a" "\xE3\x80\x81");
    // clang-format on
    // Bytes that are no character are not cut: a lone A0, an overlong C0 A0,
    // U+00A0 with a stray continuation byte after it.
    for (std::string_view odd : {"a\xA0", "a\xC0\xA0", "a\xC2\xA0\x80"}) EXPECT_EQ(trim_end(odd), odd);
}

TEST(Trim, EveryCharacterIsCutAtEitherEndExactlyWhenItIsWhiteSpace) {
    // Trimming looks at a character's lead byte before decoding it: every
    // character, alone and after or before a letter, agrees with the
    // classification.
    for (char32_t c = 0; c <= 0x10FFFF; ++c) {
        if (is_high_surrogate(c) || is_low_surrogate(c)) continue;
        std::string s;
        append_utf8(s, c);
        const bool white = is_white_space(c);
        ASSERT_EQ(trim(s).empty(), white) << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_EQ(trim_end("a" + s), white ? "a" : "a" + s) << std::hex << static_cast<std::uint32_t>(c);
        ASSERT_EQ(trim(s + "a"), white ? "a" : s + "a") << std::hex << static_cast<std::uint32_t>(c);
    }
}

TEST(Trim, EndOnlyAndWithoutCopying) {
    const std::string text = "  a  \xE2\x80\x80";  // ends in U+2000
    EXPECT_EQ(trim_end(text), "  a");
    EXPECT_EQ(trim_end(text).data(), text.data());
    EXPECT_EQ(trim(text).data(), text.data() + 2);
}

TEST(DecodeUtf16Strict, WholeStringOrNothing) {
    // 'H', U+00E9 (C3 A9), U+D55C (ED 95 9C), U+1F600 = D83D DE00 (F0 9F 98 80), an odd byte.
    const ByteWriter w = ByteWriter().u16('H').u16(0xE9).u16(0xD55C).u16(0xD83D).u16(0xDE00).u8('!');
    EXPECT_EQ(decode_utf16_strict(w.buffer()), "H\xC3\xA9\xED\x95\x9C\xF0\x9F\x98\x80");
    EXPECT_EQ(decode_utf16_strict({}), "");
    // An unpaired surrogate anywhere: high last, high before 'a', lone low, low cut to one byte.
    for (const ByteWriter& bad : {ByteWriter().u16('a').u16(0xD83D), ByteWriter().u16(0xD83D).u16('a'),
                                  ByteWriter().u16(0xDE00).u16('b'), ByteWriter().u16(0xD83D).u8(0x00)}) {
        EXPECT_EQ(decode_utf16_strict(bad.buffer()), std::nullopt);
    }
}

}  // namespace
}  // namespace brindle
