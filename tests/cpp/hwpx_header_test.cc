// The header part: its definitions read, what is taken out of it before it
// is parsed leaving them as they were, a part that cannot be cut safely left
// whole, and the tag scan that reads its fonts, character shapes and border
// fills.
#include <gtest/gtest.h>

#include <string>

#include "hwpx/header.h"
#include "hwpx/header_prefilter.h"
#include "hwpx/markup_search.h"
#include "model/numbering.h"

namespace brindle::hwpx {
namespace {

constexpr std::string_view HEAD =
    R"(<?xml version="1.0"?><h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
    R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:beginNum footnote="3"/>)"
    R"(<h:refList><h:fontfaces><h:fontface lang="HANGUL"><h:font id="0" face="바탕"/>)"
    R"(<h:font id="1" face="돋움"><h:typeInfo/></h:font></h:fontface>)"
    R"(<h:fontface lang="SYMBOL"><h:font face="Wingdings"/></h:fontface></h:fontfaces>)"
    R"(<h:borderFills><h:borderFill id="1"/></h:borderFills>)"
    R"(<h:charProperties><h:charPr id="0" height="1600"><h:fontRef hangul="1" symbol="0"/>)"
    R"(<h:ratio hangul="100"/><h:bold/></h:charPr><h:charPr id="1"><h:italic/></h:charPr>)"
    R"(</h:charProperties>)"
    R"(<h:numberings><h:numbering id="1" start="1"><h:paraHead level="1" )"
    R"(numFormat="HANGUL_SYLLABLE">^1.</h:paraHead></h:numbering></h:numberings>)"
    R"(<h:paraProperties><h:paraPr id="0"><h:align horizontal="CENTER"/><h:heading type="NONE"/>)"
    R"(<p:switch><p:case><h:margin/></p:case><p:default><h:margin/></p:default></p:switch>)"
    R"(</h:paraPr><h:paraPr id="1"><p:switch><p:default><h:heading type="NUMBER" idRef="1" )"
    R"(level="0"/></p:default></p:switch></h:paraPr></h:paraProperties>)"
    R"(<h:styles><h:style id="0" type="PARA" name="개요 1" engName="Outline 1" paraPrIDRef="1" )"
    R"(charPrIDRef="0"/><h:style id="1" type="CHAR" name="강조" charPrIDRef="1"/></h:styles>)"
    R"(</h:refList></h:head>)";

ByteBuffer bytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

Definitions read(std::string_view part) { return read_header(bytes(part), "header.xml"); }

void expect_head_definitions(const Definitions& d) {
    ASSERT_EQ(d.paragraph_shapes.size(), 2u);
    EXPECT_EQ(d.paragraph_shapes[0].alignment, Alignment::Center);
    EXPECT_EQ(d.paragraph_shapes[1].head, HeadKind::Number);
    EXPECT_EQ(d.paragraph_shapes[1].numbering, 1);
    EXPECT_EQ(d.paragraph_shapes[1].alignment, Alignment::Justify);
    ASSERT_EQ(d.numberings.size(), 1u);
    EXPECT_EQ(d.numberings[0].format(0), "^1.");
    EXPECT_EQ(d.numberings[0].shapes[0], SHAPE_HANGUL_SYLLABLE);
    EXPECT_EQ(d.footnote_start, 3);
    EXPECT_EQ(d.fonts.of(Script::Hangul), (std::vector<std::string>{"바탕", "돋움"}));
    EXPECT_EQ(d.fonts.of(Script::Symbol), (std::vector<std::string>{"Wingdings"}));
    ASSERT_EQ(d.character_shapes.size(), 2u);
    const CharacterShape& title = d.character_shapes[0];
    EXPECT_EQ(title.height, 1600);
    EXPECT_TRUE(title.bold);
    EXPECT_FALSE(title.italic);
    EXPECT_EQ(d.font_name(title, Script::Hangul), "돋움");
    EXPECT_EQ(d.font_name(title, Script::Symbol), "Wingdings");
    EXPECT_EQ(d.character_shapes[1].height, 1000);
    EXPECT_TRUE(d.character_shapes[1].italic);
    ASSERT_EQ(d.styles.size(), 2u);
    EXPECT_EQ(d.styles[0].name, "개요 1");
    EXPECT_EQ(d.styles[0].paragraph_shape, 1);
    EXPECT_FALSE(d.styles[0].character);
    EXPECT_TRUE(d.styles[1].character);
    EXPECT_EQ(d.styles[1].character_shape, 1);
}

TEST(HwpxHeader, DefinitionsAreReadWhetherOrNotThePartIsCut) {
    ByteBuffer cut = bytes(HEAD);
    skip_unread_definitions(cut);
    const std::string text(cut.begin(), cut.end());
    for (const char* taken : {"fontfaces", "<h:charPr", "borderFill", "margin"}) {
        EXPECT_EQ(text.find(taken), std::string::npos) << taken;
    }
    EXPECT_NE(text.find("heading type=\"NUMBER\""), std::string::npos);  // its alternative is kept
    SCOPED_TRACE("cut");
    expect_head_definitions(read(HEAD));
    // A comment keeps the prefilter out: the whole part is parsed, and the
    // lists it would have taken out are read all the same, once.
    std::string whole(HEAD);
    whole.insert(whole.find("<h:refList>"), "<!-- <h:charPr height=\"9\"/> -->");
    SCOPED_TRACE("whole");
    expect_head_definitions(read(whole));
}

TEST(HwpxHeader, BorderFillsAreReadAsTheShadesTheyShowWhetherOrNotThePartIsCut) {
    const std::string head =
        R"(<?xml version="1.0"?><h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
        R"(xmlns:c="http://www.hancom.co.kr/hwpml/2011/core"><h:refList><h:borderFills itemCnt="8">)"
        R"(<h:borderFill id="1"><h:leftBorder type="SOLID" color="#000000"/></h:borderFill>)"
        R"(<h:borderFill id="2"><c:fillBrush><c:winBrush faceColor="#112233" hatchColor="#FF000000" alpha="0"/>)"
        R"(</c:fillBrush></h:borderFill>)"
        R"(<h:borderFill id="3"><c:fillBrush><c:winBrush faceColor="#ffffff" hatchColor="#000000"/></c:fillBrush>)"
        R"(</h:borderFill>)"
        R"(<h:borderFill id="4"><c:fillBrush><c:winBrush faceColor="none" hatchColor="#787878" hatchStyle="CROSS"/>)"
        R"(</c:fillBrush></h:borderFill>)"
        R"(<h:borderFill id="5"><c:fillBrush><c:gradation type="LINEAR" colorNum="2"><c:color value="#006AB3"/>)"
        R"(<c:color value="#000000"/></c:gradation></c:fillBrush></h:borderFill>)"
        R"(<h:borderFill id="6"><c:fillBrush><c:imgBrush mode="TOTAL"><c:img binaryItemIDRef="image1"/>)"
        R"(</c:imgBrush></c:fillBrush></h:borderFill>)"
        R"(<h:borderFill id="7"><c:fillBrush><c:winBrush faceColor="#D9D9D9"/></c:fillBrush></h:borderFill>)"
        R"(<h:borderFill id="8"><c:fillBrush><c:winBrush faceColor="#FFFFFFFF"/></c:fillBrush></h:borderFill>)"
        R"(</h:borderFills></h:refList></h:head>)";
    const std::vector<Shade> shades = {NO_SHADE,
                                       shade_of(FillBrush{0x112233}),
                                       NO_SHADE,
                                       shade_of(FillBrush{FillBrush::NONE, 5, 0x787878}),
                                       shade_of(FillBrush{FillBrush::NONE, 0, FillBrush::NONE, 0x006AB3}),
                                       NO_SHADE,
                                       shade_of(FillBrush{0xD9D9D9})};
    EXPECT_EQ(read(head).border_fills, shades);
    std::string whole = head;
    whole.insert(whole.find("<h:refList>"), "<!-- kept whole -->");
    EXPECT_EQ(read(whole).border_fills, shades);
    // Brushes nowhere: no fill shades anything.
    EXPECT_TRUE(read(HEAD).border_fills.empty());
}

TEST(HwpxHeader, APartThatCannotBeParsedDefinesNothing) {
    const Definitions none = read(std::string(HEAD).substr(0, std::string(HEAD).find("</h:refList>")));
    EXPECT_TRUE(none.character_shapes.empty());
    EXPECT_TRUE(none.paragraph_shapes.empty());
    EXPECT_TRUE(none.fonts.of(Script::Hangul).empty());
}

TEST(HwpxHeader, ListsAreFoundInAnyOrder) {
    // The paragraph properties before the character properties, and an
    // unprefixed list: each is found by its own start tag.
    const std::string head =
        R"(<h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
        R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:refList>)"
        R"(<h:paraProperties><h:paraPr id="0"><p:switch><p:default><h:margin/></p:default></p:switch>)"
        R"(</h:paraPr></h:paraProperties><h:charPropertiesX/><h:charProperties><h:charPr id="0"/>)"
        R"(</h:charProperties><tabProperties><tabPr/></tabProperties></h:refList></h:head>)";
    ByteBuffer cut = bytes(head);
    skip_unread_definitions(cut);
    EXPECT_EQ(
        std::string(cut.begin(), cut.end()),
        R"(<h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
        R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:refList>)"
        R"(<h:paraProperties><h:paraPr id="0"></h:paraPr></h:paraProperties><h:charPropertiesX/></h:refList></h:head>)");
    const Definitions definitions = read(head);
    EXPECT_EQ(definitions.paragraph_shapes.size(), 1u);
    EXPECT_EQ(definitions.character_shapes.size(), 1u);
}

TEST(HwpxHeader, PartsThatCannotBeCutSafelyStayWhole) {
    for (const std::string& part :
         {std::string(HEAD).replace(std::string(HEAD).find("<h:refList>"), 0, "<!-- x -->"),
          std::string(HEAD).replace(std::string(HEAD).find("<h:refList>"), 0, "<![CDATA[x]]>")}) {
        ByteBuffer buffer = bytes(part);
        skip_unread_definitions(buffer);
        EXPECT_EQ(std::string(buffer.begin(), buffer.end()), part);
    }
    // UTF-16 text is not searched.
    ByteBuffer utf16 = {0xFF, 0xFE, '<', 0, 'a', 0};
    const ByteBuffer before = utf16;
    skip_unread_definitions(utf16);
    EXPECT_EQ(utf16, before);
    // An element whose end tag is missing is left for the parser to refuse.
    ByteBuffer open = bytes("<h:head><h:fontfaces><x/></h:head>");
    skip_unread_definitions(open);
    EXPECT_EQ(std::string(open.begin(), open.end()), "<h:head><h:fontfaces><x/></h:head>");
}

TEST(MarkupSearch, StartTagsByNameAndTheirAttributes) {
    const std::string_view text =
        R"(<h:list><h:itemX a="1"/></h:item><item face = 'A&amp;B &#xAC00;&#44032;&bogus; x' )"
        R"(size="12"/><h:item size="-1">text</h:item></h:list>)";
    std::vector<std::string> faces;
    std::vector<std::uint32_t> sizes;
    for (StartTag tag = find_start_tag(text, "item", 0, 0); tag.found();
         tag = find_start_tag(text, "item", 0, tag.name_end)) {
        std::string face = "(none)";
        std::uint32_t size = 7;
        each_attribute(tag_attributes(text, tag), [&](std::string_view name, std::string_view raw) {
            if (name == "face") face = unescape_attribute(raw);
            if (name == "size") size = parse_number(raw, 7);
            return true;
        });
        faces.push_back(face);
        sizes.push_back(size);
    }
    // Neither "itemX" nor the end tag is an item; spaces around "=" and
    // single quotes are attributes all the same.
    EXPECT_EQ(faces, (std::vector<std::string>{"A&B 가가&bogus; x", "(none)"}));
    EXPECT_EQ(sizes, (std::vector<std::uint32_t>{12, 7}));  // "-1" is no number
    EXPECT_EQ(find_start_tag(text, "list", 1, 0).lt, 0u);
    EXPECT_FALSE(find_start_tag(text, "list", 1, 4).found());  // past it, only its end tag
    EXPECT_EQ(tag_attributes("<a/>", find_start_tag("<a/>", "a", 0, 0)), "");
}

}  // namespace
}  // namespace brindle::hwpx
