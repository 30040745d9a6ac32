// Paragraph numbers: the number shapes, the counters a numbering keeps
// across paragraphs, and the "/DocInfo" tables they are read from, with the
// other definitions read there (fonts, character shapes, border fills).
#include <gtest/gtest.h>

#include <initializer_list>
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
    // clang-format off
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
    // clang-format on
    for (const auto& [value, shape, shown] : cases) {
        std::string out = "<";
        append_number(out, value, shape);
        EXPECT_EQ(out, std::string("<") + shown) << value << " in shape " << int{shape};
    }
}

TEST(ParagraphNumbering, CountersByNumberingAndLevel) {
    constexpr HeadKind NONE = HeadKind::None, NUMBER = HeadKind::Number, OUTLINE = HeadKind::Outline;
    Definitions info;
    // clang-format off
    info.paragraph_shapes = {{}, {NUMBER, 0, 1}, {NUMBER, 1, 1}, {NUMBER, 0, 2}, {HeadKind::Bullet, 0, 1},
                             {OUTLINE, 1, 0}, {NUMBER, 0, 9}};  // 6: a numbering past the table
    // clang-format on
    info.numberings = {numbering({"^1.", "^1.^2)"}, {SHAPE_DIGITS, SHAPE_LATIN_LOWER}, {1, 3}),
                       numbering({"(^1)", "^1-^2"}, {SHAPE_ROMAN_LOWER, SHAPE_DIGITS}, {4, 1})};
    info.bullets = {U'●'};
    info.styles = {Style{"", false, 1, 0}};
    // clang-format off
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
    // clang-format on
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

// PARA_SHAPE: alignment in bits 2-4, head kind in 23-24, level in 25-27; the
// numbering at 30.
ByteBuffer para_shape(HeadKind kind, std::uint32_t level, std::uint16_t id, std::size_t size = 54,
                      Alignment alignment = Alignment::Justify) {
    const std::uint32_t attributes =
        static_cast<std::uint32_t>(kind) << 23 | level << 25 | static_cast<std::uint32_t>(alignment) << 2;
    ByteBuffer b = ByteWriter().u32(attributes).zeros(26).u16(id).take();
    b.resize(size);
    return b;
}

TEST(ParseDocInfo, ShortRecordsKeepTheirIndex) {
    const std::u16string long_format = u"^1" + std::u16string(38, u'x');
    ByteWriter cut = numbering_record({{SHAPE_ROMAN_UPPER, long_format}, {0, u"^1.^2."}, {}, {}, {}, {}, {}});
    cut.u16(5);  // the start number; no level starts
    ByteWriter starts = numbering_record({{}, {}, {}, {}, {}, {}, {SHAPE_LATIN_UPPER, u"^1"}});
    starts.u16(0).u32(2).u32(3).u32(0).u32(1).u32(1).u32(1).u32(1);
    ByteWriter style;  // names, attributes, next style, language, paragraph and character shape
    style.u16(3).utf16(u"바탕글").u16(6).utf16(u"Normal").u8(0).u8(0).u16(0x412).u16(3).u16(1);
    ByteWriter char_style;  // a character style without an English name, cut before its character shape
    char_style.u16(2).utf16(u"강조").u16(0).u8(1).u8(0).u16(0x412).u16(2);
    const Definitions info = parse_doc_info(encode_records({
        record(HWPTAG_DOCUMENT_PROPERTIES, 0, ByteWriter().u16(1).u16(1).u16(3).u16(5).zeros(18).take()),
        record(HWPTAG_NUMBERING, 1, ByteBuffer(4, 0)),
        record(HWPTAG_NUMBERING, 1, cut.take()),
        record(HWPTAG_NUMBERING, 1, starts.take()),
        record(HWPTAG_BULLET, 1, ByteWriter().zeros(12).u16(0x25CF).zeros(8).take()),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Number, 2, 4, 54, Alignment::Center)),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Bullet, 0, 1, 31)),
        record(HWPTAG_PARA_SHAPE, 1, para_shape(HeadKind::Outline, 6, 3, 32)),
        record(HWPTAG_STYLE, 1, style.take()),
        record(HWPTAG_STYLE, 1, ByteBuffer(2, 0)),
        record(HWPTAG_STYLE, 1, char_style.take()),
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
    ASSERT_EQ(info.paragraph_shapes.size(), 3u);
    const auto shape = [&](std::size_t k) {
        const ParagraphShape& s = info.paragraph_shapes[k];
        return std::tuple(s.head, int{s.level}, int{s.numbering}, s.alignment);
    };
    EXPECT_EQ(shape(0), std::tuple(HeadKind::Number, 2, 4, Alignment::Center));
    EXPECT_EQ(shape(1), std::tuple(HeadKind::None, 0, 0, Alignment::Justify));  // too short: kept, with nothing read
    EXPECT_EQ(shape(2), std::tuple(HeadKind::Outline, 6, 3, Alignment::Justify));
    ASSERT_EQ(info.styles.size(), 3u);
    const auto style_of = [&](std::size_t k) {
        const Style& s = info.styles[k];
        return std::tuple(s.name, s.character, int{s.paragraph_shape}, int{s.character_shape});
    };
    EXPECT_EQ(style_of(0), std::tuple("바탕글", false, 3, 1));
    EXPECT_EQ(style_of(1), std::tuple("", false, 0, 0));
    EXPECT_EQ(style_of(2), std::tuple("강조", true, 2, 0));
}

// CHAR_SHAPE: a font per script, widths, spacings, relative sizes and
// offsets, the base size and the attributes.
ByteBuffer char_shape(std::uint16_t hangul_font, std::uint16_t latin_font, std::int32_t height,
                      std::uint32_t attributes) {
    return ByteWriter()
        .u16(hangul_font)
        .u16(latin_font)
        .zeros(10)
        .zeros(28)
        .u32(static_cast<std::uint32_t>(height))
        .u32(attributes)
        .zeros(22)
        .take();
}

ByteBuffer face_name(std::u16string_view name) {
    return ByteWriter().u8(0).u16(name.size() & 0xFFFF).utf16(name).take();
}

TEST(ParseDocInfo, FontsGoToTheirScriptsAndCharacterShapesNameThem) {
    ByteWriter counts;  // binary data, then the fonts of each script
    counts.u32(0).u32(2).u32(1).u32(0).u32(0).u32(0).u32(1).u32(0);
    const Definitions info = parse_doc_info(encode_records({
        record(HWPTAG_ID_MAPPINGS, 0, counts.take()), record(HWPTAG_FACE_NAME, 1, face_name(u"바탕")),
        record(HWPTAG_FACE_NAME, 1, face_name(u"돋움")), record(HWPTAG_FACE_NAME, 1, face_name(u"Arial")),
        record(HWPTAG_FACE_NAME, 1, face_name(u"Wingdings")),
        record(HWPTAG_FACE_NAME, 1, face_name(u"past every count")),
        record(HWPTAG_CHAR_SHAPE, 1, char_shape(1, 0, 1600, 0x2)),
        record(HWPTAG_CHAR_SHAPE, 1, char_shape(7, 0, 1000, 0x1)),
        record(HWPTAG_CHAR_SHAPE, 1, ByteBuffer(49, 0)),  // too short: kept, with nothing read
    }));
    EXPECT_EQ(info.fonts.of(Script::Hangul), (std::vector<std::string>{"바탕", "돋움"}));
    EXPECT_EQ(info.fonts.of(Script::Latin), (std::vector<std::string>{"Arial"}));
    EXPECT_TRUE(info.fonts.of(Script::Hanja).empty());
    EXPECT_EQ(info.fonts.of(Script::Symbol), (std::vector<std::string>{"Wingdings"}));
    EXPECT_TRUE(info.fonts.of(Script::User).empty());
    ASSERT_EQ(info.character_shapes.size(), 3u);
    const CharacterShape& heading = info.character_shapes[0];
    EXPECT_EQ(heading.height, 1600);
    EXPECT_TRUE(heading.bold);
    EXPECT_FALSE(heading.italic);
    EXPECT_EQ(info.font_name(heading, Script::Hangul), "돋움");
    EXPECT_EQ(info.font_name(heading, Script::Latin), "Arial");
    EXPECT_EQ(info.font_name(heading, Script::Symbol), "Wingdings");
    EXPECT_TRUE(info.character_shapes[1].italic);
    EXPECT_EQ(info.font_name(info.character_shapes[1], Script::Hangul), "");  // past the list
    EXPECT_EQ(info.character_shapes[2].height, 1000);
}

// BORDER_FILL: attributes, four borders and a diagonal, then the brush.
ByteBuffer border_fill(std::uint32_t kinds, std::initializer_list<std::uint32_t> brush) {
    ByteWriter out;
    out.zeros(32).u32(kinds);
    for (const std::uint32_t word : brush) out.u32(word);
    return out.take();
}

TEST(ParseDocInfo, BorderFillsAreReadAsTheShadesTheyShow) {
    constexpr std::uint32_t COLOUR = 1, GRADATION = 4, NONE = 0xFFFFFFFF, NO_PATTERN = 0xFFFFFFFF;
    ByteWriter gradation;  // kind, angle, centre, step, two colours (COLORREF)
    gradation.zeros(32).u32(GRADATION).u8(1).u32(90).u32(50).u32(50).u32(255).u32(2).u32(0x00B36A00).u32(0);
    const Definitions info = parse_doc_info(encode_records({
        record(HWPTAG_BORDER_FILL, 1, border_fill(0, {})),
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {0x00332211, 0, NO_PATTERN})),  // 0x00BBGGRR
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {0x00FFFFFF, 0, NO_PATTERN})),  // white: none
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {NONE, 0x00787878, 4})),        // a pattern alone
        record(HWPTAG_BORDER_FILL, 1, gradation.take()),
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {0x00332211})),  // cut short: none, its place kept
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR | GRADATION, {0x00D9D9D9, 0, NO_PATTERN})),
        record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {NONE, 0, NO_PATTERN})),
    }));
    const Shade hatch = shade_of(FillBrush{FillBrush::NONE, 5, 0x787878});
    EXPECT_EQ(info.border_fills, (std::vector<Shade>{NO_SHADE, shade_of(FillBrush{0x112233}), NO_SHADE, hatch,
                                                     shade_of(FillBrush{FillBrush::NONE, 0, FillBrush::NONE, 0x006AB3}),
                                                     NO_SHADE, shade_of(FillBrush{0xD9D9D9})}));
    EXPECT_NE(hatch, shade_of(FillBrush{0x787878}));          // a pattern is not its colour filled in
    EXPECT_EQ(info.shade(2), shade_of(FillBrush{0x112233}));  // ids are 1-based
    EXPECT_EQ(info.shade(0), NO_SHADE);
    EXPECT_EQ(info.shade(8), NO_SHADE);
    // A document without shading keeps none at all.
    EXPECT_TRUE(
        parse_doc_info(encode_records({record(HWPTAG_BORDER_FILL, 1, border_fill(COLOUR, {NONE, 0, NO_PATTERN}))}))
            .border_fills.empty());
}

}  // namespace
}  // namespace brindle
