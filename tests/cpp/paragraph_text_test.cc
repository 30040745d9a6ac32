// Tests of paragraph text decoding: the control-code classes and how many
// units each takes, truncated input, surrogates, and the lifting of
// click-here field contents behind indexed marks.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "hwp/format.h"
#include "hwp/paragraph_text.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;
using Strings = std::vector<std::string>;

const std::string E = "\xEE\x80\x80";  // U+E000, the bracket of a field mark
constexpr std::uint32_t HYPERLINK = make_ctrl_id('%', 'h', 'l', 'k');

std::string text_of(const ByteWriter& w) { return decode_para_text(w.buffer()).text; }
std::string plain_of(const ByteWriter& w) { return decode_plain_para_text(w.buffer()); }

TEST(ParaTextControls, EachCodeTakesItsNumberOfUnits) {
    for (std::uint16_t code = 0; code < 32; ++code) {
        const bool single = code == 0 || code == 10 || code == 13 || code >= 24;
        // A one-unit control is followed by 'B'; an 8-unit one carries six
        // letters of data that must not show: either way the text is "AB".
        ByteWriter w;
        w.utf16(u"A").u16(code);
        if (!single) w.utf16(u"zzzzzz").u16(code);
        w.utf16(u"B");
        EXPECT_EQ(text_of(w), "AB") << "code " << code;
        EXPECT_EQ(plain_of(w), "AB") << "code " << code;
    }
    EXPECT_EQ(text_of(ByteWriter().u16(32).utf16(u"x").control(11, CTRL_TABLE).u16(0xD55C)),
              " x\xED\x95\x9C");  // space is a character; a table anchor leaves nothing
    EXPECT_EQ(decode_para_text({}).text, "");
}

TEST(ParaTextTruncation, OddByteIgnoredAndCutControlEndsTheText) {
    EXPECT_EQ(text_of(ByteWriter().utf16(u"A").u8('B')), "A");
    // A tab 10 bytes before the end; then one 15 bytes before it.
    for (const ByteWriter& w :
         {ByteWriter().utf16(u"A").u16(9).utf16(u"xxxx"), ByteWriter().utf16(u"A").u16(9).utf16(u"xxxxxx").u8(9)}) {
        EXPECT_EQ(text_of(w), "A");
        EXPECT_EQ(plain_of(w), "A");
    }
}

TEST(ParaTextSurrogates, PairsCombineAndStrayUnitsDropOneByOne) {
    // U+1F600 = D83D DE00 -> F0 9F 98 80; U+10FFFF = DBFF DFFF -> F4 8F BF BF.
    EXPECT_EQ(text_of(ByteWriter().u16(0xD83D).u16(0xDE00).u16(0xDBFF).u16(0xDFFF)),
              "\xF0\x9F\x98\x80\xF4\x8F\xBF\xBF");
    EXPECT_EQ(text_of(ByteWriter().utf16(u"a").u16(0xD83D)), "a");             // high, last
    EXPECT_EQ(text_of(ByteWriter().u16(0xD83D).utf16(u"b")), "b");             // high, no low
    EXPECT_EQ(text_of(ByteWriter().u16(0xD83D).control(9).utf16(u"c")), "c");  // high, control
    EXPECT_EQ(text_of(ByteWriter().u16(0xDE00).utf16(u"b")), "b");             // lone low
    EXPECT_EQ(text_of(ByteWriter().u16(0xD83D).u16(0xD83D).u16(0xDE00)), "\xF0\x9F\x98\x80");
    EXPECT_EQ(text_of(ByteWriter().utf16(u"a").u16(0xD83D).u8(0xDE)), "a");  // low cut by odd length
}

TEST(ParaTextRuns, LongRunsOfMixedWidthsKeepEveryCharacter) {
    // One-, two- and three-byte characters in a run longer than one write
    // of the run copy, then a surrogate pair, a line break and a field
    // whose content is such a run too.
    const std::u16string unit3 = u"a\u00E9\uD55C";  // a, e-acute, Hangul HAN
    const std::string utf8 = "a\xC3\xA9\xED\x95\x9C";
    std::u16string run;
    std::string expected;
    for (int k = 0; k < 30000; ++k) run += unit3, expected += utf8;
    ByteWriter w;
    w.utf16(run).u16(0xD83D).u16(0xDE00).u16(10).utf16(run);
    w.control(3, CTRL_CLICK_HERE).utf16(run).control(4).utf16(u"z");
    const ParagraphText t = decode_para_text(w.buffer());
    EXPECT_EQ(t.text, expected + "\xF0\x9F\x98\x80" + expected + E + "0" + E + "z");
    EXPECT_EQ(t.field_texts, Strings{expected});
    EXPECT_EQ(plain_of(ByteWriter().utf16(run).u16(0xDE00).utf16(run)), expected + expected);
}

TEST(ParaTextRuns, AnyMixOfWidthsAndStopsAtAnyPlace) {
    // Runs are copied eight units at a time where each is ASCII or takes
    // three bytes, and unit by unit otherwise: pseudo-random texts of every
    // kind of unit, at every place of those groups, keep every character.
    struct Piece {
        std::u16string units;
        std::string utf8;
    };
    // clang-format off
    const Piece pieces[] = {
        {u"a", "a"}, {u" ", " "}, {u"\u007F", "\x7F"},                                      // ASCII
        {u"\u0080", "\xC2\x80"}, {u"\u00E9", "\xC3\xA9"}, {u"\u07FF", "\xDF\xBF"},          // two bytes
        {u"\u0800", "\xE0\xA0\x80"}, {u"\uD55C", "\xED\x95\x9C"}, {u"\uD7FF", "\xED\x9F\xBF"},  // three
        {u"\uE000", "\xEE\x80\x80"}, {u"\uFFFF", "\xEF\xBF\xBF"},
        {u"\U0001F600", "\xF0\x9F\x98\x80"},  // a surrogate pair
        {u"\u000D", ""}, {u"\u0018", ""}, {std::u16string(1, char16_t{0xDC00}), ""},  // stops written as nothing
    };
    // clang-format on
    std::uint32_t seed = 1;
    const auto next = [&](std::uint32_t bound) {
        seed = seed * 1103515245u + 12345u;
        return (seed >> 16) % bound;
    };
    for (int text = 0; text < 300; ++text) {
        ByteWriter w;
        std::string expected;
        const std::uint32_t length = next(200);
        // Mostly ASCII, Hangul or the two taking turns, so that whole groups
        // of eight of each kind occur.
        const std::uint32_t mode = next(3);
        for (std::uint32_t k = 0; k < length; ++k) {
            const Piece& common = pieces[mode == 0 ? 0 : mode == 1 || k % 2 ? 7 : 1];
            const Piece& piece = next(8) == 0 ? pieces[next(std::size(pieces))] : common;
            w.utf16(piece.units);
            expected += piece.utf8;
        }
        if (next(2) == 0) {
            w.control(11, CTRL_TABLE);  // an 8-unit control, then more text
            w.utf16(u"\uD55Cb");
            // clang-format off
            expected += "\xED\x95\x9C" "b";
            // clang-format on
        }
        ASSERT_EQ(text_of(w), expected) << "text " << text;
        ASSERT_EQ(plain_of(w), expected) << "text " << text;
    }
}

TEST(ParaTextFields, ClickHereContentIsLiftedBehindAMark) {
    ByteWriter w;
    w.utf16(u"x").control(3, CTRL_CLICK_HERE).u16(0xD83D).u16(0xDE00).u16(10).utf16(u"c").control(4);
    w.utf16(u"y");
    const ParagraphText t = decode_para_text(w.buffer());
    EXPECT_EQ(t.text, "x" + E + "0" + E + "y");
    // clang-format off
    EXPECT_EQ(t.field_texts, Strings{"\xF0\x9F\x98\x80" "c"});
    EXPECT_EQ(plain_of(w), "x\xF0\x9F\x98\x80" "cy");  // codes 3 and 4 are plain controls here
    // clang-format on
    // The document's own U+E000 '0' U+E000 is text like any other.
    EXPECT_EQ(text_of(ByteWriter().u16(0xE000).utf16(u"0").u16(0xE000)), E + "0" + E);
}

TEST(ParaTextFields, EleventhFieldHasMarkTen) {
    ByteWriter w;
    for (char16_t c = u'a'; c <= u'k'; ++c) w.control(3, CTRL_CLICK_HERE).u16(c).control(4);
    const ParagraphText t = decode_para_text(w.buffer());
    EXPECT_EQ(t.field_texts, (Strings{"a", "b", "c", "d", "e", "f", "g", "h", "i", "j", "k"}));
    EXPECT_EQ(t.text.substr(9 * 7), E + "9" + E + E + "10" + E);  // marks 0-8 take 7 bytes each
}

TEST(ParaTextFields, OnlyClickHereOpensNoNestingAnyEndCloses) {
    // Hyperlink 'h' end | %clk 'a' [hyperlink start] 'b' [%clk start] 'c' end 'd' end.
    ByteWriter w;
    w.control(3, HYPERLINK).utf16(u"h").control(4);
    w.control(3, CTRL_CLICK_HERE).utf16(u"a").control(3, HYPERLINK).utf16(u"b");
    w.control(3, CTRL_CLICK_HERE).utf16(u"c").control(4).utf16(u"d").control(4);
    const ParagraphText t = decode_para_text(w.buffer());
    EXPECT_EQ(t.text, "h" + E + "0" + E + "d");
    EXPECT_EQ(t.field_texts, Strings{"abc"});
}

TEST(ParaTextFields, UnclosedAndCutShortFields) {
    // Never closed: its characters follow the text, with no mark.
    ByteWriter open;
    open.utf16(u"x").control(3, CTRL_CLICK_HERE).utf16(u"ab").control(4).control(3, CTRL_CLICK_HERE);
    open.utf16(u"cd");
    EXPECT_EQ(decode_para_text(open.buffer()).text, "x" + E + "0" + E + "cd");
    // An end code with one data unit (4 of 16 bytes) still closes the field.
    ByteWriter end;
    end.control(3, CTRL_CLICK_HERE).utf16(u"ab").u16(4).u16(0);
    const ParagraphText t = decode_para_text(end.buffer());
    EXPECT_EQ(t.text, E + "0" + E);
    EXPECT_EQ(t.field_texts, Strings{"ab"});
    // A start code with its id only (6 of 16 bytes) ends decoding, no field.
    EXPECT_EQ(text_of(ByteWriter().utf16(u"x").u16(3).u32(CTRL_CLICK_HERE)), "x");
}

}  // namespace
}  // namespace brindle
