// Paragraph numbers: the number shapes, the counters a numbering keeps
// across paragraphs, and the "/DocInfo" tables they are read from.
#include <gtest/gtest.h>

#include <string>
#include <tuple>
#include <vector>

#include "hwp/format.h"
#include "model/numbering.h"
#include "test_support.h"

namespace brindle {
namespace {

using namespace brindle::test;

TEST(AppendNumber, ShapesAndWhereTheyRunOut) {
    const std::tuple<std::uint32_t, std::uint8_t, const char*> cases[] = {
        {4294967295u, SHAPE_DIGITS, "4294967295"}, {5, 17, "5"},  // 17 is no shape: digits
        {0, SHAPE_ROMAN_UPPER, "0"}, {0, SHAPE_HANGUL_SYLLABLE, "0"},  // only digits have a zero
        {20, SHAPE_CIRCLED_DIGITS, "⑳"}, {21, SHAPE_CIRCLED_DIGITS, "㉑"}, {35, SHAPE_CIRCLED_DIGITS, "㉟"},
        {36, SHAPE_CIRCLED_DIGITS, "㊱"}, {50, SHAPE_CIRCLED_DIGITS, "㊿"}, {51, SHAPE_CIRCLED_DIGITS, "51"},
        {14, SHAPE_ROMAN_LOWER, "xiv"}, {3999, SHAPE_ROMAN_UPPER, "MMMCMXCIX"}, {4000, SHAPE_ROMAN_UPPER, "4000"},
        {26, SHAPE_LATIN_UPPER, "Z"}, {27, SHAPE_LATIN_UPPER, "AA"}, {54, SHAPE_LATIN_LOWER, "bbb"},
        {260, SHAPE_LATIN_UPPER, "ZZZZZZZZZZ"}, {261, SHAPE_LATIN_UPPER, "261"},  // ten repetitions at most
        {14, SHAPE_HANGUL_SYLLABLE, "하"}, {15, SHAPE_HANGUL_SYLLABLE, "가"}, {16, SHAPE_HANGUL_SYLLABLE, "나"},
        {10, SHAPE_HANGUL_NUMERAL, "십"}, {11, SHAPE_HANGUL_NUMERAL, "십일"}, {20, SHAPE_HANGUL_NUMERAL, "이십"},
        {111, SHAPE_HANGUL_NUMERAL, "백십일"}, {10000, SHAPE_HANGUL_NUMERAL, "만"}, {10001, SHAPE_HANGUL_NUMERAL, "만일"},
        {20305, SHAPE_HANGUL_NUMERAL, "이만삼백오"}, {110000, SHAPE_HANGUL_NUMERAL, "십일만"},
        {11, SHAPE_HANJA_NUMERAL, "十一"}, {10000, SHAPE_HANJA_NUMERAL, "萬"}, {10, SHAPE_CIRCLED_HANJA, "㊉"},
        {11, SHAPE_CIRCLED_HANJA, "十一"},
    };
    for (const auto& [value, shape, shown] : cases) {
        std::string out = "<";
        append_number(out, value, shape);
        EXPECT_EQ(out, std::string("<") + shown) << value << " in shape " << int{shape};
    }
}

TEST(ParagraphNumbering, CountersByNumberingAndLevel) {
    constexpr HeadKind NONE = HeadKind::None, NUMBER = HeadKind::Number, OUTLINE = HeadKind::Outline;
    DocInfo info;
    info.para_shapes = {{}, {NUMBER, 0, 1}, {NUMBER, 1, 1}, {NUMBER, 0, 2}, {HeadKind::Bullet, 0, 1},
                        {OUTLINE, 1, 0}, {NUMBER, 0, 9}};  // 6: a numbering past the table
    info.numberings = {numbering({"^1.", "^1.^2)"}, {SHAPE_DIGITS, SHAPE_LATIN_LOWER}, {1, 3}),
                       numbering({"(^1)", "^1-^2"}, {SHAPE_ROMAN_LOWER, SHAPE_DIGITS}, {4, 1})};
    info.bullets = {U'●'};
    info.style_shapes = {1};
    const struct {
        std::uint16_t shape;
        std::uint8_t style;
        std::uint16_t outline;  // the section's outline numbering
        HeadKind kind;
        const char* number;
    } paragraphs[] = {
        {1, 0, 0, NUMBER, "1."}, {2, 0, 0, NUMBER, "1.c)"}, {2, 0, 0, NUMBER, "1.d)"},  // level 2 starts at 3
        {1, 0, 0, NUMBER, "2."}, {2, 0, 0, NUMBER, "2.c)"},  // and starts over under the next parent
        {5, 0, 2, OUTLINE, "iv-1"}, {3, 0, 0, NUMBER, "(iv)"}, {3, 0, 0, NUMBER, "(v)"},
        {1, 0, 0, NUMBER, "3."},  // numbering 1 counts on past numbering 2
        {0, 0, 0, NONE, ""}, {4, 0, 0, HeadKind::Bullet, ""},
        {100, 0, 0, NUMBER, "4."}, {100, 1, 0, NONE, ""},  // a shape past the table: the style's, if any
        {6, 0, 0, NUMBER, ""}, {5, 0, 0, OUTLINE, ""}, {5, 0, 3, OUTLINE, ""},
    };
    ParagraphNumbering numbering(info);
    for (const auto& p : paragraphs) {
        const ParagraphHead head = numbering.head(p.shape, p.style, p.outline);
        SCOPED_TRACE(testing::Message() << "shape " << p.shape << ", " << p.number);
        EXPECT_EQ(head.kind, p.kind);
        EXPECT_EQ(head.number, p.number);
        EXPECT_EQ(head.level, p.shape == 2 || p.shape == 5 ? 1 : 0);
        EXPECT_EQ(head.bullet, p.kind == HeadKind::Bullet ? U'●' : 0);
    }
}

// NUMBERING levels: attributes (number shape in bits 5-8), width, distance,
// character shape, the format's length and the format.
ByteWriter numbering_record(std::initializer_list<std::pair<std::uint8_t, std::u16string>> levels) {
    ByteWriter w;
    for (const auto& [shape, f] : levels) w.u32(shape << 5).zeros(8).u16(f.size() & 0xFFFF).utf16(f);
    return w;
}

// PARA_SHAPE: head kind in bits 23-24, level in 25-27; the numbering at 30.
ByteBuffer para_shape(HeadKind kind, std::uint32_t level, std::uint16_t id, std::size_t size = 54) {
    ByteBuffer b = ByteWriter().u32(static_cast<std::uint32_t>(kind) << 23 | level << 25).zeros(26).u16(id).take();
    b.resize(size);
    return b;
}

TEST(ParseDocInfo, ShortRecordsKeepTheirIndex) {
    const std::u16string long_format = u"^1" + std::u16string(38, u'x');
    ByteWriter cut = numbering_record({{SHAPE_ROMAN_UPPER, long_format}, {0, u"^1.^2."}, {}, {}, {}, {}, {}});
    cut.u16(5);  // the start number; no level starts
    ByteWriter starts = numbering_record({{}, {}, {}, {}, {}, {}, {SHAPE_LATIN_UPPER, u"^1"}});
    starts.u16(0).u32(2).u32(3).u32(0).u32(1).u32(1).u32(1).u32(1);
    ByteWriter style;  // names, attributes, next style, language, paragraph shape
    style.u16(3).utf16(u"바탕글").u16(6).utf16(u"Normal").u8(0).u8(0).u16(0x412).u16(3);
    const DocInfo info = parse_doc_info(encode_records({
        record(HWPTAG_DOCUMENT_PROPERTIES, 0, ByteWriter().u16(1).u16(1).u16(3).u16(5).zeros(18).take()),
        record(HWPTAG_NUMBERING, 1, ByteBuffer(4, 0)), record(HWPTAG_NUMBERING, 1, cut.take()),
        record(HWPTAG_NUMBERING, 1, starts.take()),
        record(HWPTAG_BULLET, 1, ByteWriter().zeros(12).u16(0x25CF).zeros(8).take()),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Number, 2, 4)),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Bullet, 0, 1, 31)),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Outline, 6, 3, 32)),
        record(HWPTAG_STYLE, 1, style.take()), record(HWPTAG_STYLE, 1, ByteBuffer(2, 0)),
    }));
    EXPECT_EQ(info.footnote_start, 3);
    EXPECT_EQ(info.endnote_start, 5);
    ASSERT_EQ(info.numberings.size(), 3u);
    const Numbering& n = info.numberings[1];
    EXPECT_EQ(n.format(0), "^1" + std::string(MAX_NUMBER_FORMAT_UNITS - 2, 'x'));
    EXPECT_EQ(n.format(1), "^1.^2.");  // read after the whole of the long format
    EXPECT_EQ(n.shapes[0], SHAPE_ROMAN_UPPER);
    EXPECT_EQ(n.starts[0], 5u);
    const Numbering& m = info.numberings[2];
    EXPECT_EQ(m.format(6), "^1");
    EXPECT_EQ(m.shapes[6], SHAPE_LATIN_UPPER);
    EXPECT_EQ(std::vector<std::uint32_t>(m.starts.begin(), m.starts.end()),
              (std::vector<std::uint32_t>{2, 3, 1, 1, 1, 1, 1}));  // a start of 0 is 1
    EXPECT_EQ(info.bullets, std::vector<char32_t>{U'●'});
    ASSERT_EQ(info.para_shapes.size(), 3u);
    const auto shape = [&](std::size_t k) {
        const ParaShape& s = info.para_shapes[k];
        return std::tuple(s.head, int{s.level}, int{s.numbering});
    };
    EXPECT_EQ(shape(0), std::tuple(HeadKind::Number, 2, 4));
    EXPECT_EQ(shape(1), std::tuple(HeadKind::None, 0, 0));  // too short: kept, with nothing read
    EXPECT_EQ(shape(2), std::tuple(HeadKind::Outline, 6, 3));
    EXPECT_EQ(info.style_shapes, (std::vector<std::uint16_t>{3, 0}));
}

}  // namespace
}  // namespace brindle
