// Tests of click-here fields: the guide text and modified flag read from the
// '%clk' header, the name record, and the rendering of a paragraph's marks.
#include <gtest/gtest.h>

#include <chrono>
#include <string>
#include <vector>

#include "hwp/click_here.h"
#include "hwp/format.h"
#include "hwp/paragraph_text.h"
#include "test_support.h"

namespace brindle {
namespace {

using test::ByteWriter;
using Strings = std::vector<std::string>;
using Fields = std::vector<ClickHereField>;

const std::string E = "\xEE\x80\x80";  // U+E000
const std::u16string KEY = u"Direction:wstring:";

// '%clk' header: id, properties (bit 15 = modified), the byte at offset 8,
// the command's length in units, the command, then units past its end.
ByteBuffer header(std::u16string_view command, std::uint32_t properties = 0, std::uint8_t kind = 9,
                  std::u16string_view beyond = u"") {
    ByteWriter w;
    w.u32(CTRL_CLICK_HERE).u32(properties).u8(kind).u16(static_cast<std::uint16_t>(command.size()));
    return w.utf16(command).utf16(beyond).take();
}

std::string direction(std::u16string_view command) {
    const auto parsed = parse_click_here_header(header(command));
    return parsed ? parsed->direction : "<nothing>";
}

// HWPTAG_CTRL_DATA: 10 unread bytes, the declared length in units, the units.
ByteBuffer name_record(std::uint16_t declared, std::u16string_view name) {
    return ByteWriter().u16(0x021B).u32(1).u32(0x4000).u16(declared).utf16(name).take();
}

TEST(ClickHereHeaderParse, SizeKindAndModifiedBit) {
    EXPECT_EQ(direction(u""), "");  // 11 bytes: the smallest header accepted
    EXPECT_FALSE(parse_click_here_header(Bytes(header(u"")).first(10)));
    EXPECT_FALSE(parse_click_here_header(header(KEY + u"1:a", 0, 1)));  // byte 8 is not 9
    const ByteBuffer full = header(KEY + u"1:a");
    EXPECT_FALSE(parse_click_here_header(Bytes(full).first(full.size() - 1)));  // command cut
    // Bit 15 of the properties word, nothing else.
    EXPECT_TRUE(parse_click_here_header(header(u"", 0x00008000))->modified);
    EXPECT_FALSE(parse_click_here_header(header(u"", 0xFFFF7FFF))->modified);
}

TEST(ClickHereHeaderParse, DirectionSettings) {
    // clang-format off
    const std::pair<std::u16string, std::string> cases[] = {
        {u"9:Type here HelpState:wstring:0: ", "Type here"},
        {u"5:abc", "abc"},                         // fewer units than announced
        {u"007:Seven units", "Seven u"},           // leading zeros
        {u"0:abc", ""},
        {u"18446744073709551618:abc", "abc"},      // 2^64 + 2 saturates, never wraps to 2
        {u"3:\uC774\uB984\uC744", "\xEC\x9D\xB4\xEB\xA6\x84\xEC\x9D\x84"},
        {u"2:\U0001F600", "\xF0\x9F\x98\x80"},     // a pair is two units
        {u"2:a\xD83D", ""},                        // unpaired surrogate
        {u"1:a\xD83D", "a"},                       // ... beyond the length does not count
        {u"x:abc", ""}, {u":abc", ""}, {u"12 :abc", ""},
        {u"", ""}, {u"3", ""}, {u"34", ""},        // the command ends too soon
        {u"1:a" + KEY + u"1:b", "a"},              // the first key counts
    };
    // clang-format on
    for (const auto& [setting, expected] : cases) {
        EXPECT_EQ(direction(u"Clickhere:set:0:" + KEY + setting), expected);
    }
    EXPECT_EQ(direction(u"Direction:wstr" + KEY + u"2:ok"), "ok");  // partial key first
    EXPECT_EQ(direction(u"direction:wstring:1:a"), "");             // compared unit for unit
    // Only the declared command is searched or taken from.
    EXPECT_EQ(parse_click_here_header(header(u"set:0:", 0, 9, KEY + u"1:a"))->direction, "");
    EXPECT_EQ(parse_click_here_header(header(KEY + u"5:abc", 0, 9, u"de"))->direction, "abc");
}

TEST(ClickHereName, DeclaredUnitsStrictlyDecoded) {
    EXPECT_EQ(read_field_name(name_record(4, u"Name")), "Name");
    EXPECT_EQ(read_field_name(name_record(2, u"Kim")), "Ki");
    EXPECT_EQ(read_field_name(name_record(40, u"Kim")), "Kim");
    EXPECT_EQ(read_field_name(name_record(2, u"a\xD800")), "");
    const ByteBuffer kim = name_record(3, u"Kim");
    EXPECT_EQ(read_field_name(Bytes(kim).first(kim.size() - 1)), "Ki");  // odd byte dropped
    EXPECT_EQ(read_field_name(Bytes(kim).first(11)), "");
}

TEST(ClickHereName, DescriptionCombinesHeaderAndName) {
    const ByteBuffer name = name_record(4, u"Name");
    ClickHereField f = describe_click_here_field(header(KEY + u"1:T", 0x8000), Bytes(name));
    EXPECT_EQ(f.name + "|" + f.direction + "|" + std::to_string(f.modified), "Name|T|1");
    f = describe_click_here_field(header(KEY + u"1:T", 0x8000, 1), Bytes(name));  // header rejected
    EXPECT_EQ(f.name + "|" + f.direction + "|" + std::to_string(f.modified), "Name||0");
    f = describe_click_here_field(header(KEY + u"1:T"), std::nullopt);
    EXPECT_EQ(f.name + "|" + f.direction + "|" + std::to_string(f.modified), "|T|0");
}

std::string render_one(std::string content, ClickHereField field) {
    return render_paragraph("<" + E + "0" + E + ">", Strings{std::move(content)}, Fields{std::move(field)});
}

TEST(ClickHereRender, NameGuideTextAndNonPlaceholderContent) {
    EXPECT_EQ(render_one("Type here", {"Name", "Type here", false}), "<{{Name: Type here}}>");
    EXPECT_EQ(render_one("Kim", {"Name", "Type here", false}), "<{{Name: Type here --> Kim}}>");
    EXPECT_EQ(render_one("Type here", {"Name", "Type here", true}), "<{{Name: Type here --> Type here}}>");
    EXPECT_EQ(render_one("", {"Name", "Type here", true}), "<{{Name: Type here}}>");
    EXPECT_EQ(render_one("Kim", {"Name", "", false}), "<{{Name}}>");
    EXPECT_EQ(render_one("Kim", {"Name", "", true}), "<{{Name --> Kim}}>");
    EXPECT_EQ(render_one("", {"", "", false}), "<{{}}>");
    // Undescribed fields (here the second) show their content.
    EXPECT_EQ(render_paragraph("Dear " + E + "0" + E + "," + E + "1" + E, Strings{"Kim", "Lee"},
                               Fields{{"N", "", false}}),
              "Dear {{N}},Lee");
}

TEST(ClickHereRenderMarks, DocumentTextSpellingAMarkIsReplacedToo) {
    // The document holds U+E000 '0' U+E000 itself, then a closed field.
    ByteWriter w;
    w.u16(0xE000).utf16(u"0").u16(0xE000).control(3, CTRL_CLICK_HERE).utf16(u"Kim").control(4);
    const ParagraphText para = decode_para_text(w.buffer());
    EXPECT_EQ(render_paragraph(para.text, para.field_texts, Fields{{"N", "", false}}), "{{N}}{{N}}");
    // With no closed field, nothing is replaced.
    EXPECT_EQ(render_paragraph(E + "0" + E, {}, {}), E + "0" + E);
}

TEST(ClickHereRenderMarks, ReplacementsAreNotScannedAgain) {
    // A name or a content that spells a mark is written as it stands; it
    // does not turn into another field's rendering.
    const std::string text = E + "0" + E + "." + E + "1" + E;
    EXPECT_EQ(render_paragraph(text, Strings{"a", "b"}, Fields{{E + "1" + E, "", false}, {"B", "", false}}),
              "{{" + E + "1" + E + "}}.{{B}}");
    EXPECT_EQ(render_paragraph(text, Strings{E + "1" + E, "b"}, {}), E + "1" + E + ".b");
}

TEST(ClickHereRenderMarks, DigitsBetweenMarksDoNotSpellAMark) {
    // The end of mark 1, "0" and the start of mark 2 read U+E000 '0' U+E000,
    // but they are parts of two marks and a typed digit: each field keeps
    // its own place and the digit stays.
    EXPECT_EQ(render_paragraph(E + "0" + E + E + "1" + E + "0" + E + "2" + E, Strings{"a", "b", "c"}, {}), "ab0c");
    EXPECT_EQ(render_paragraph(E + "0" + E + E + "1" + E + "1" + E + "2" + E, Strings{"a", "b", "c"}, {}), "ab1c");
    // Only indices as marks write them: no leading zero, no index past the
    // last closed field.
    EXPECT_EQ(render_paragraph(E + "00" + E + E + "5" + E, Strings{"a"}, {}), E + "00" + E + E + "5" + E);
    // A lone U+E000 before a mark does not hide it.
    EXPECT_EQ(render_paragraph(E + "x" + E + "0" + E, Strings{"a"}, {}), E + "xa");
}

TEST(ClickHereRenderMarks, ManyFieldsRenderInLinearTime) {
    // Replacing mark after mark over the whole text would take minutes here.
    constexpr int COUNT = 200000;
    ByteWriter w;
    for (int k = 0; k < COUNT; ++k) w.control(3, CTRL_CLICK_HERE).utf16(u"v").control(4).utf16(u",");
    const ParagraphText para = decode_para_text(w.buffer());
    const Fields fields(COUNT - 1, ClickHereField{"n", "", true});  // the last one undescribed
    const auto start = std::chrono::steady_clock::now();
    const std::string out = render_paragraph(para.text, para.field_texts, fields);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(5));
    std::string expected;
    for (int k = 0; k < COUNT - 1; ++k) expected += "{{n --> v}},";
    EXPECT_EQ(out, expected + "v,");
}

}  // namespace
}  // namespace brindle
