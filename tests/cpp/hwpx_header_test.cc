// The header part: what is taken out of it before it is parsed leaves the
// tables the walk reads as they were, and a part that cannot be cut safely
// is left whole.
#include <gtest/gtest.h>

#include <string>

#include "hwpx/header.h"
#include "hwpx/xml.h"
#include "model/numbering.h"

namespace brindle::hwpx {
namespace {

constexpr std::string_view HEAD = R"(<?xml version="1.0"?><h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
                                  R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:beginNum footnote="3"/>)"
                                  R"(<h:refList><h:fontfaces><h:fontface lang="HANGUL"/></h:fontfaces>)"
                                  R"(<h:charProperties><h:charPr id="0"><h:bold/></h:charPr></h:charProperties>)"
                                  R"(<h:numberings><h:numbering id="1" start="1"><h:paraHead level="1" )"
                                  R"(numFormat="HANGUL_SYLLABLE">^1.</h:paraHead></h:numbering></h:numberings>)"
                                  R"(<h:paraProperties><h:paraPr id="0"><h:heading type="NONE"/>)"
                                  R"(<p:switch><p:case><h:margin/></p:case><p:default><h:margin/></p:default></p:switch>)"
                                  R"(</h:paraPr><h:paraPr id="1"><p:switch><p:default><h:heading type="NUMBER" idRef="1" )"
                                  R"(level="0"/></p:default></p:switch></h:paraPr></h:paraProperties></h:refList></h:head>)";

ByteBuffer bytes(std::string_view text) { return ByteBuffer(text.begin(), text.end()); }

DocInfo read(ByteBuffer part) {
    auto parsed = XmlPart::parse(std::move(part), "header.xml");
    EXPECT_TRUE(parsed);
    return parsed ? read_header(parsed.value()->root()) : DocInfo{};
}

TEST(HwpxHeader, WhatIsTakenOutLeavesTheTablesAsTheyWere) {
    ByteBuffer cut = bytes(HEAD);
    skip_unread_definitions(cut);
    const std::string text(cut.begin(), cut.end());
    EXPECT_EQ(text.find("fontfaces"), std::string::npos);
    EXPECT_EQ(text.find("charPr"), std::string::npos);
    EXPECT_EQ(text.find("margin"), std::string::npos);
    EXPECT_NE(text.find("heading type=\"NUMBER\""), std::string::npos);  // its alternative is kept
    const DocInfo whole = read(bytes(HEAD)), stripped = read(std::move(cut));
    ASSERT_EQ(stripped.para_shapes.size(), 2u);
    EXPECT_EQ(stripped.para_shapes[1].head, HeadKind::Number);
    EXPECT_EQ(stripped.para_shapes[1].numbering, whole.para_shapes[1].numbering);
    ASSERT_EQ(stripped.numberings.size(), 1u);
    EXPECT_EQ(stripped.numberings[0].format(0), "^1.");
    EXPECT_EQ(stripped.numberings[0].shapes[0], SHAPE_HANGUL_SYLLABLE);
    EXPECT_EQ(stripped.footnote_start, 3);
}

TEST(HwpxHeader, ListsAreFoundInAnyOrder) {
    // The paragraph properties before the character properties, and an
    // unprefixed list: each is found by its own start tag.
    const std::string head = R"(<h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
                             R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:refList>)"
                             R"(<h:paraProperties><h:paraPr id="0"><p:switch><p:default><h:margin/></p:default></p:switch>)"
                             R"(</h:paraPr></h:paraProperties><h:charPropertiesX/><h:charProperties><h:charPr id="0"/>)"
                             R"(</h:charProperties><tabProperties><tabPr/></tabProperties></h:refList></h:head>)";
    ByteBuffer cut = bytes(head);
    skip_unread_definitions(cut);
    EXPECT_EQ(std::string(cut.begin(), cut.end()),
              R"(<h:head xmlns:h="http://www.hancom.co.kr/hwpml/2011/head" )"
              R"(xmlns:p="http://www.hancom.co.kr/hwpml/2011/paragraph"><h:refList>)"
              R"(<h:paraProperties><h:paraPr id="0"></h:paraPr></h:paraProperties><h:charPropertiesX/></h:refList></h:head>)");
    EXPECT_EQ(read(std::move(cut)).para_shapes.size(), 1u);
}

TEST(HwpxHeader, PartsThatCannotBeCutSafelyStayWhole) {
    for (const std::string& part : {std::string(HEAD).replace(std::string(HEAD).find("<h:refList>"), 0, "<!-- x -->"),
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

}  // namespace
}  // namespace brindle::hwpx
