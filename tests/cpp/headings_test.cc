// Headings found in a document's blocks: each signal, the negatives a
// marker alone does not overcome, and the levels as the document nests them.
#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "model/headings.h"

namespace brindle {
namespace {

// Character shapes 0 (the body's), 1 (larger and bold), 2 (much larger);
// paragraph shapes 0 (justified) and 1 (centred); styles 0 and "개요 1".
Definitions definitions() {
    Definitions d;
    d.character_shapes = {CharacterShape{1000, false, false, {}}, CharacterShape{1200, true, false, {}},
                          CharacterShape{2000, true, false, {}}};
    d.paragraph_shapes = {ParagraphShape{}, ParagraphShape{HeadKind::None, 0, 0, Alignment::Center}};
    d.styles = {Style{"바탕글", false, 0, 0}, Style{"개요 1", false, 0, 0}};
    return d;
}

struct Para {
    std::string text;
    std::uint16_t shape = 0;  // character shape
    std::uint16_t paragraph_shape = 0;
    Origin origin = Origin::Body;
    std::uint16_t style = 0;
};

Paragraph paragraph(const Para& p) {
    Paragraph block(p.text);
    block.look = ParagraphLook{p.shape, p.paragraph_shape, p.style};
    block.origin = p.origin;
    return block;
}

constexpr const char* BODY =
    "본 사업은 지역 문화 행사를 기획하고 운영하여 주민의 참여를 넓히는 것을 목적으로 하며, 행사의 기획과 홍보, "
    "현장 운영과 안전 관리, 결과 보고까지 사업의 전 과정을 수행하는 것으로서 세부 내용은 다음과 같다.";

// The (level, text) of the blocks written as headings.
std::vector<std::pair<int, std::string>> headings(BlockList blocks) {
    detect_headings(blocks, definitions());
    std::vector<std::pair<int, std::string>> out;
    for (const ContentBlock& block : blocks) {
        if (const auto* p = std::get_if<Paragraph>(&block); p != nullptr && p->heading > 0) {
            out.emplace_back(p->heading, p->text);
        }
    }
    return out;
}

BlockList blocks_of(std::initializer_list<Para> paras) {
    BlockList blocks;
    for (const Para& p : paras) blocks.emplace_back(paragraph(p));
    return blocks;
}

using Found = std::vector<std::pair<int, std::string>>;

TEST(Headings, TitleAndMarkersNestInTheOrderTheyAppear) {
    // The title is the first large line; Roman numerals, then numbers, then
    // Hangul ordinals nest below it; a kind met again closes those opened
    // after it. The markers are set apart by size and weight.
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"사업 제안요청서", 2, 1},
                                  {"Ⅰ. 사업 안내", 1}, {BODY},
                                  {"1\\. 사업 개요", 1}, {BODY},
                                  {"가. 사업 목적", 1}, {BODY},
                                  {"나. 사업 범위", 1}, {BODY},
                                  {"2\\. 추진 일정", 1}, {BODY},
                                  {"Ⅱ. 제안 요청 사항", 1}, {BODY}})),
              (Found{{1, "사업 제안요청서"}, {2, "Ⅰ. 사업 안내"}, {3, "1\\. 사업 개요"}, {4, "가. 사업 목적"},
                     {4, "나. 사업 범위"}, {3, "2\\. 추진 일정"}, {2, "Ⅱ. 제안 요청 사항"}}));
    // clang-format on
}

TEST(Headings, PageMarksAreNoBlocksOfTheText) {
    // The title among the first twelve blocks, page marks not counted.
    BlockList blocks;
    for (int k = 0; k < 11; ++k) {
        blocks.emplace_back(NewPage{static_cast<std::uint32_t>(k + 1)});
        blocks.emplace_back(paragraph({"가"}));
    }
    blocks.emplace_back(paragraph({"사업 제안요청서", 2, 1}));
    blocks.emplace_back(paragraph({BODY}));
    EXPECT_EQ(headings(blocks), (Found{{1, "사업 제안요청서"}}));
}

TEST(Headings, AKindUsedForTitlesNeedsNoProminence) {
    // Plain-looking numbered lines that each head a stretch of text are
    // titles; the Hangul ordinals under them, always fields, are not.
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"1\\. 협의이혼이란"}, {BODY},
                                  {"2\\. 협의이혼의 절차"}, {"가. 신청인 : 부부 양쪽"}, {"나. 장소 : 관할 법원"}, {BODY},
                                  {"3\\. 협의이혼의 효과"}, {BODY}})),
              (Found{{2, "1\\. 협의이혼이란"}, {2, "2\\. 협의이혼의 절차"}, {2, "3\\. 협의이혼의 효과"}}));
    // clang-format on
}

TEST(Headings, ItemsOfAListAreNoHeadings) {
    // The same numbers, once as titles heading their text and once as the
    // items of a list one after another: only the titles. A draft's empty
    // sections, numbered by their parts, stay headings; so do items set
    // apart as headings are.
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"1\\. 입찰 참가 신청"}, {BODY},
                                  {"1\\. 입찰참가신청서 1통"}, {"2\\. 인감증명서 1통"}, {"3\\. 사업자등록증 사본"}, {BODY},
                                  {"2\\. 입찰 보증금"}, {BODY},
                                  {"3\\. 입찰의 무효"}, {BODY},
                                  {"3.1 원안 작성"}, {"3.2 전문가 컨설팅"},
                                  {"가. 제안서 1부", 1}, {"나. 발표 자료 1부", 1}, {BODY}})),
              (Found{{2, "1\\. 입찰 참가 신청"}, {2, "2\\. 입찰 보증금"}, {2, "3\\. 입찰의 무효"}, {3, "3.1 원안 작성"},
                     {3, "3.2 전문가 컨설팅"}, {4, "가. 제안서 1부"}, {4, "나. 발표 자료 1부"}}));
    // A label met before each question is none, though set as titles are;
    // met twice, it still heads its parts.
    EXPECT_EQ(headings(blocks_of({{"< 보 기 >", 1}, {BODY}, {"< 보 기 >", 1}, {BODY}, {"< 보 기 >", 1}, {BODY},
                                  {"< 유의사항 >", 1}, {BODY}, {"< 유의사항 >", 1}, {BODY}})),
              (Found{{2, "< 유의사항 >"}, {2, "< 유의사항 >"}}));
    // Bullets one after another are a list, set apart or not; one alone
    // before its text, set apart, is a heading.
    EXPECT_EQ(headings(blocks_of({{"○ 추진 배경", 1}, {BODY},
                                  {"○ (장  소) 대전컨벤션센터 제1전시장", 1}, {"○ (기  간) 11. 25. ~ 11. 27.", 1}, {BODY},
                                  {"○ 추진 방향", 1}, {BODY}})),
              (Found{{2, "○ 추진 배경"}, {2, "○ 추진 방향"}}));
    // clang-format on
}

TEST(Headings, APageMarkSplitsNoList) {
    // The items of a list stay items when a page begins among them: page
    // marks are no blocks of the text, and a conversion that counts no
    // pages finds the same headings.
    // clang-format off
    const std::initializer_list<Para> document = {{"1\\. 입찰 참가 신청"}, {BODY},
                                                  {"1\\. 입찰참가신청서 1통"}, {"2\\. 인감증명서 1통"}, {BODY},
                                                  {"2\\. 입찰 보증금"}, {BODY}};
    // clang-format on
    BlockList paged;
    std::uint32_t page = 1;
    for (const Para& p : document) {
        paged.emplace_back(NewPage{page++});
        paged.emplace_back(paragraph(p));
    }
    const Found expected{{2, "1\\. 입찰 참가 신청"}, {2, "2\\. 입찰 보증금"}};
    EXPECT_EQ(headings(blocks_of(document)), expected);
    EXPECT_EQ(headings(std::move(paged)), expected);
}

TEST(Headings, AMarkerAloneMakesNoHeading) {
    // Even set apart: a sentence after a marker, a field, a table-of-contents
    // entry, a caption, an attachment's label, a date, an addressee, a line
    // too long for a title.
    const Found none;
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"○ 본 사업은 지역 축제 운영을 위한 사업임", 1}, {BODY},
                                  {"1\\. 용 역 명 : 2025년 축제 운영 용역", 1}, {BODY},
                                  {"1\\. 사업목적 …… 4", 1}, {"2\\. 추진일정 ...... 7", 1}, {BODY},
                                  {"표 1 연도별 예산", 1}, {"<그림 2> 조직도", 1}, {BODY},
                                  {"[붙임 1] 제안서 양식", 1}, {BODY},
                                  {"2025. 3. 31.", 2, 1}, {"홍길동 귀하", 2, 1},
                                  {"1\\. 이 줄은 제목이라기에는 너무 길어서 한 줄에 다 담기지 않을 만큼 이어지는 문장의 일부로서 끝나지 않는다", 1},
                                  {BODY}})),
              none);
    // clang-format on
}

TEST(Headings, TheLinesOfFormsAndAsidesAreNoHeadings) {
    // Set large, each on its own before text: a form's label or the line
    // naming the rule that sets it, a line to sign, one wholly in
    // parentheses, a value after a field's colon, signs and numbers alone
    // (an arrow, a question's choices). A label with a title
    // after it, and a form's title, still head what follows.
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"사업 제안요청서", 2, 1}, {BODY},
                                  {"<서식 1>", 2}, {BODY}, {"〈별지 서식〉", 2}, {BODY},
                                  {"■ 소득세법 시행규칙 [별지 제1호서식]", 2}, {BODY}, {"가. [별지 1] 제안서 표지", 1}, {BODY},
                                  {"대표  홍길동   (인)", 2}, {BODY}, {"신청인 (서명 또는 인)", 2}, {BODY},
                                  {"(부가가치세 및 제반 비용 포함)", 2}, {BODY}, {"(국내입찰, 협상에 의한 계약)", 2}, {BODY},
                                  {": 담당자 홍길동 ☎ 02-123-4567", 2}, {BODY}, {"▼", 2}, {BODY}, {"① 8 ② 10 ③ 12", 1}, {BODY},
                                  {"<별첨 1> 과업설명서", 2}, {BODY},
                                  {"개인정보 수집 동의서(서식)", 2}, {BODY},
                                  {"(가) 사업의 범위", 1}, {BODY}})),
              (Found{{1, "사업 제안요청서"}, {2, "<별첨 1> 과업설명서"}, {3, "개인정보 수집 동의서(서식)"},
                     {4, "(가) 사업의 범위"}}));
    // clang-format on
}

TEST(Headings, AContentsHeadingIsNoTitle) {
    // Among the first large lines, the heading of the table of contents
    // heads the contents; the title is the line before it.
    EXPECT_EQ(headings(blocks_of({{"사업 제안요청서", 2, 1}, {"－ 목   차 －", 2, 1}, {BODY}})),
              (Found{{1, "사업 제안요청서"}, {2, "－ 목   차 －"}}));
    // A line of the contents is no heading of them.
    EXPECT_EQ(headings(blocks_of({{"사업 제안요청서", 2, 1}, {"목차 1", 2, 1}, {BODY}})),
              (Found{{1, "사업 제안요청서"}, {1, "목차 1"}}));
}

TEST(Headings, TheBodyTextIsCountedInCharacters) {
    // The body's size is the one most characters have, not most bytes: a
    // long Hangul paragraph (three bytes a character, thousands of them)
    // against a longer one of ASCII in the larger bold shape. That shape is
    // the body's, so a short centred line in it is no title; counted in
    // bytes, the Hangul would be the body and the line a title.
    std::string hangul, ascii;
    for (int k = 0; k < 3000; ++k) hangul += "가";
    for (int k = 0; k < 3500; ++k) ascii += "a";
    EXPECT_EQ(headings(blocks_of({{"사업 개요", 1, 1}, {hangul}, {ascii, 1}})), Found{});
    // With fewer ASCII characters than Hangul ones the smaller shape is the
    // body's, and the line stands apart from it.
    ascii.resize(2900);
    EXPECT_EQ(headings(blocks_of({{"사업 개요", 1, 1}, {hangul}, {ascii, 1}})), (Found{{1, "사업 개요"}}));
}

TEST(Headings, OnlyTheBodyCounts) {
    // Page headers, cells and objects hold no headings; a frame of the body
    // may; list items keep their numbers.
    BlockList blocks;
    blocks.emplace_back(HeaderFooter{"머리말", 1});
    blocks.emplace_back(paragraph({"사업 제안요청서", 2, 1, Origin::Body}));
    blocks.emplace_back(paragraph({"Ⅰ. 사업 안내", 1, 0, Origin::Other}));
    blocks.emplace_back(paragraph({"Ⅱ. 제안 안내", 1, 0, Origin::Frame}));
    blocks.emplace_back(paragraph({BODY}));
    Paragraph item = paragraph({"사업 범위", 1});
    item.head.kind = HeadKind::Number;
    item.head.number = "1.";
    blocks.emplace_back(std::move(item));
    blocks.emplace_back(paragraph({BODY}));
    EXPECT_EQ(headings(std::move(blocks)), (Found{{2, "Ⅱ. 제안 안내"}}));
}

TEST(Headings, OutlinesStylesAndTypedMarksKeepTheirDepth) {
    // An outline paragraph keeps its level (one deeper under a title); a
    // heading style heads like a kind of its own; "#" typed as in Markdown
    // counts outside code fences only.
    BlockList blocks = blocks_of({{"연구 보고서", 2, 1}});
    Paragraph outline = paragraph({"서론"});
    outline.head.kind = HeadKind::Outline;
    outline.head.level = 1;
    blocks.emplace_back(std::move(outline));
    // clang-format off
    for (const Para& p : std::initializer_list<Para>{{"연구의 배경", 0, 0, Origin::Body, 1}, {BODY},
                                                     {"\\## 사용 방법"}, {BODY}, {"```"}, {"\\# 주석입니다"}, {"```"}}) {
        blocks.emplace_back(paragraph(p));
    }
    // clang-format on
    EXPECT_EQ(headings(std::move(blocks)),
              (Found{{1, "연구 보고서"}, {3, "서론"}, {2, "연구의 배경"}, {3, "\\## 사용 방법"}}));
}

TEST(Headings, DecimalNumbersNestByTheirParts) {
    // clang-format off
    EXPECT_EQ(headings(blocks_of({{"2\\.1\\.1 수학 선행", 1}, {BODY}, {"2\\.1\\.2 효율 지향", 1}, {BODY},
                                  {"2\\.2 활동 리듬", 1}, {BODY}, {"3\\. 전망", 1}, {BODY}})),
              (Found{{2, "2\\.1\\.1 수학 선행"}, {2, "2\\.1\\.2 효율 지향"}, {2, "2\\.2 활동 리듬"}, {2, "3\\. 전망"}}));
    // clang-format on
    // Spaced as some writers space them, the parts still count.
    EXPECT_EQ(headings(blocks_of({{"1 . 1 연구 배경", 1}, {BODY}, {"1 . 2 연구 방법", 1}, {BODY}})),
              (Found{{2, "1 . 1 연구 배경"}, {2, "1 . 2 연구 방법"}}));
}

TEST(Headings, ABannerTableBecomesItsHeading) {
    BlockList blocks;
    Table banner;
    banner.rows = {{TableCell{"Ⅰ"}, TableCell{""}, TableCell{"계약개요"}}};
    blocks.emplace_back(banner);
    blocks.emplace_back(paragraph({BODY}));
    Table data;  // two rows: data, not a banner
    data.rows = {{TableCell{"1"}, TableCell{"가격"}}, {TableCell{"2"}, TableCell{"기술"}}};
    blocks.emplace_back(data);
    Table number_banner;
    number_banner.rows = {{TableCell{"1"}, TableCell{"과업 배경"}}};
    blocks.emplace_back(number_banner);
    blocks.emplace_back(paragraph({BODY}));
    detect_headings(blocks, definitions());
    ASSERT_TRUE(std::holds_alternative<Paragraph>(blocks[0]));
    EXPECT_EQ(std::get<Paragraph>(blocks[0]).text, "Ⅰ 계약개요");
    EXPECT_EQ(std::get<Paragraph>(blocks[0]).heading, 2);
    EXPECT_TRUE(std::holds_alternative<Table>(blocks[2]));
    ASSERT_TRUE(std::holds_alternative<Paragraph>(blocks[3]));
    EXPECT_EQ(std::get<Paragraph>(blocks[3]).heading, 3);
}

}  // namespace
}  // namespace brindle
