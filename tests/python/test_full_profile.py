"""The full profile over generated documents: notes, headers and footers, numbering,
bullets and outline headings, links, captions, merged cells, characters, click-here
fields after other controls, and Markdown that renders as the document reads. Every
expected text is worked out from the document the test writes."""

from __future__ import annotations

import pytest

import brindle
import hwpfixture as hwp
from hwpfixture import (
    TAB,
    AutoNumber,
    Cell,
    ClickHere,
    DocInfo,
    Endnote,
    Footer,
    Footnote,
    Header,
    Hyperlink,
    Numbering,
    Paragraph,
    ParaShape,
    SectionDefinition,
    Table,
)
from markdown_check import rendered_text

LINE_BREAK = hwp.LINE_BREAK
NBSP = hwp.char_control(30)


@pytest.fixture
def full(make_hwp, twins):
    """full(*paragraphs, doc_info=None, sections=None) -> the full profile's Markdown,
    checked to be that of the same paragraphs written as HWPX."""

    def run(*paragraphs, doc_info=None, sections=None) -> str:
        if sections is None:
            return twins(*paragraphs, doc_info=doc_info)
        path = make_hwp(sections, doc_info=doc_info)
        result = brindle.convert(path)
        assert result == brindle.convert(open(path, "rb").read())  # the buffer path agrees
        return result

    return run


def test_notes_are_referenced_in_place_and_defined_after_the_body(full, make_hwp):
    body = Paragraph("본문", Footnote(["각주 내용"], number=1), " 끝", Endnote(["미주 내용"], number=1))
    assert full(body, "다음") == "본문[^1] 끝[^e1]\n\n다음\n\n[^1]: 각주 내용\n\n[^e1]: 미주 내용"
    # Numbers that come again (numbering restarted by section) get labels of their own,
    # and a note of two paragraphs keeps the second inside the definition.
    sections = [hwp.section(Paragraph("a", Footnote(["x"]))), hwp.section(Paragraph("b", Footnote(["y", "z"])))]
    assert full(sections=sections) == "a[^1]\n\nb[^1-2]\n\n[^1]: x\n\n[^1-2]: y\n\n    z"


def test_headers_and_footers_are_quoted_where_they_are_defined(full):
    first = Paragraph(SectionDefinition(), Header(["회사명"]), Footer(["- 1 -"], pages="odd"))
    assert full(first, "본문") == "> 머리말: 회사명\n\n> 꼬리말 (홀수 쪽): \\- 1 -\n\n본문"
    with_table = Paragraph(Header([Paragraph(Table([["a", "b"]]))], pages="even"))
    assert full(with_table) == "> 머리말 (짝수 쪽):\n>\n> |a|b|\n> |---|---|"
    # A hidden comment stays hidden.
    assert full(Paragraph("본문", hwp.ListControl("tcmt", ["숨은 설명"]))) == "본문"


NUMBERED = DocInfo(
    numberings=[Numbering(), Numbering(["^1)", "^1-^2"], [2, 0]), Numbering(start=5)],
    bullets=["\uf06c"],
    para_shapes=[
        ParaShape(),
        ParaShape("number", 0, numbering=1),
        ParaShape("number", 1, numbering=1),
        ParaShape("number", 0, numbering=2),
        ParaShape("number", 1, numbering=2),
        ParaShape("bullet", bullet=1),
        ParaShape("outline", 0),
        ParaShape("outline", 1),
        ParaShape("number", 0, numbering=3),
    ],
)


def numbered(shape: int, text: str) -> Paragraph:
    return Paragraph(text, shape=shape)


def test_numbers_bullets_and_headings_follow_the_word_processor(full):
    paragraphs = [
        Paragraph(SectionDefinition()),  # names the outline numbering: the first
        numbered(1, "a"),
        numbered(2, "a1"),
        numbered(2, "a2"),
        numbered(1, "b"),
        numbered(2, "b1"),
        "본문",
        numbered(1, "c"),  # a plain paragraph between does not restart the list
        numbered(3, "i"),
        numbered(4, "i1"),
        numbered(3, "ii"),  # another numbering counts apart
        numbered(8, "five"),  # its start number
        numbered(5, "점"),
        numbered(6, "장"),
        numbered(7, "절"),
        numbered(6, "장 둘"),
        Paragraph(shape=1),  # a numbered paragraph without text still takes its number
        numbered(1, "e"),
    ]
    assert full(*paragraphs, doc_info=NUMBERED).split("\n\n") == [
        "1. a",
        "가. a1",
        "나. a2",
        "2. b",
        "가. b1",
        "본문",
        "3. c",
        "I) i",
        "I-1 i1",
        "II) ii",
        "5. five",
        "- 점",
        "# 1. 장",
        "## 가. 절",
        "# 2. 장 둘",
        "5. e",
    ]


def test_an_ordered_list_that_does_not_follow_on_is_kept_from_renumbering(full):
    text = full(numbered(1, "a"), numbered(8, "b"), doc_info=NUMBERED)
    assert text == "1. a\n\n<!-- -->\n\n5. b"
    assert rendered_text(text).split() == ["1.", "a", "5.", "b"]


def test_links_captions_and_merged_cells(full):
    assert full(Paragraph("자세히: ", Hyperlink("안내 (PDF)", "http://ex.com/a b(1).pdf"))) == (
        "자세히: [안내 (PDF)](<http://ex.com/a b(1).pdf>)"
    )
    caption = [Paragraph("표 ", AutoNumber(3), " 실적")]
    top = Paragraph(Table([["x", "z"]], caption=caption, caption_side="top"))
    bottom = Paragraph(Table([["y", "z"]], caption=caption, caption_side="right"))
    assert full(top, bottom) == "표 3 실적\n\n|x|z|\n|---|---|\n\n|y|z|\n|---|---|\n\n표 3 실적"
    # A cell spanning two columns takes one; the cells keep their rows and order.
    merged = Table(
        [[Cell("머리", 0, 0, col_span=2), Cell("끝", 2, 0)], [Cell("가", 0, 1), Cell("다", 2, 1)]],
        columns=4,
    )
    assert full(Paragraph(merged)) == "|머리|끝|\n|---|---|\n|가|다|"


def test_tabs_breaks_and_special_spaces_become_white_space(full):
    body = Paragraph(TAB, "이름:", TAB, "홍길동", LINE_BREAK, "나이:", NBSP, "30")
    cell = Table([[[Paragraph("첫 줄", LINE_BREAK, "둘째 줄"), "다음 문단"], "옆"]])
    assert full(body, Paragraph(cell)) == "이름: 홍길동\n나이: 30\n\n|첫 줄<br>둘째 줄<br>다음 문단|옆|\n|---|---|"
    # Breaks one after another leave no blank line: that would end the list item.
    item = Paragraph("a", LINE_BREAK, LINE_BREAK, " ", LINE_BREAK, "b", shape=1)
    assert full(item, doc_info=NUMBERED) == "1. a\nb"


def test_a_field_after_the_section_definition_keeps_its_description(full, make_hwp):
    first = Paragraph(SectionDefinition(), ClickHere("성명", "이름을 쓰세요", "홍길동", modified=True))
    assert full(first) == "{{성명: 이름을 쓰세요 --> 홍길동}}"
    path = make_hwp([hwp.section(first)])
    assert brindle.convert(path, profile="exact") == "홍길동"  # the exact rules lose it


# Text that CommonMark would read as syntax, and how the document shows it.
LOOKALIKES = [
    "# 제목 아님",
    "> 인용 아님",
    "- 목록 아님",
    "+ 더하기",
    "1. 번호 아님",
    "2) 둘",
    "***",
    "---",
    "===",
    "<b>굵게</b> & &amp; &#44;",
    "`코드` *별* _밑줄_ snake_case",
    "~~취소~~ 1~3일",
    "[링크](http://x) ![그림](y) [^1] [참고]: 정의",
    "\\* 백슬래시 \\",
    "C# 언어 #",
    "a|b|c",
]


def in_every_context(full, text: str) -> tuple[str, list[str]]:
    """The full profile's Markdown of `text` in a paragraph, in a paragraph's second
    line, in a heading, in a table cell, in a text box in a cell, in a frame (a table
    of one cell) and as a link's text; and the words a reader of it should see."""
    cells = Paragraph(Table([[text, [Paragraph("칸", hwp.TextBox([text]))]]]))
    frame = Paragraph(Table([[[Paragraph(text)]]]))
    body = full(
        Paragraph(SectionDefinition(), text),
        Paragraph("앞", LINE_BREAK, text),
        numbered(6, text),
        cells,
        frame,
        Paragraph(Hyperlink(text, "http://x.kr/")),
        doc_info=NUMBERED,
    )
    words = f"{text} 앞 {text} 1. {text} {text} 칸 {text} {text} {text}"
    return body, words.split()


@pytest.mark.parametrize("text", LOOKALIKES)
def test_the_documents_own_characters_render_as_themselves(full, text):
    body, expected = in_every_context(full, text)
    assert rendered_text(body).split() == expected


# Random runs of the characters that matter to Markdown, between letters, digits,
# Hangul and spaces: many small documents, each read back through the renderer.
ALPHABET = list("#>-+=*_`~<>&[]!|\\()^:;.1aZ가 ") + ["&amp;", "&#35;", "<b>", "1. ", "- ", "[^1]", "](x)", "~~"]


def test_random_text_renders_as_itself(full):
    import random

    generator = random.Random(20261208)
    failures = []
    for _ in range(150):
        text = "".join(generator.choice(ALPHABET) for _ in range(generator.randint(1, 10))).strip()
        if not text:
            continue
        body, expected = in_every_context(full, text)
        if rendered_text(body).split() != expected:
            failures.append((text, body))
    assert not failures


def test_codes_of_symbol_fonts_are_the_characters_they_stand_for(twins):
    def shaped(face: str) -> DocInfo:
        return DocInfo(fonts=[face], char_shapes=[hwp.CharShape()])

    # Wingdings' bullets and check mark, one past the BMP (written as a
    # surrogate pair in the binary format), after a control's eight units.
    body = Paragraph("\uf0a7 항목", Footnote(["주"]), " \uf0fc \uf024", char_shape=0)
    assert twins(body, doc_info=shaped("Wingdings")) == "▪ 항목[^1] ✓ \U0001f453\n\n[^1]: 주"
    assert twins(Paragraph("\uf061\uf062 = \uf070", char_shape=0), doc_info=shaped("symbol")) == "αβ = π"
    assert twins(Paragraph("\uf0a1", char_shape=0), doc_info=shaped("Wingdings 2")) == "◾"
    # Characters whose low byte is the codes' high byte (0xF0) come first: the
    # search for codes looks at high bytes only.
    assert twins(Paragraph("\uacf0\u30f0 \uf0a7", char_shape=0), doc_info=shaped("Wingdings")) == "\uacf0\u30f0 ▪"
    # In a table's cell too.
    cell = twins(Paragraph(Table([["\uf0fc", "b"], ["c", "d"]])), doc_info=shaped("Wingdings"))
    assert cell.splitlines()[0] == "|✓|b|"
    # The exact profile keeps the codes; a code in any other font stays as it is
    # (which symbol it stood for is not known), as does one a font leaves empty.
    assert twins(body, doc_info=shaped("Wingdings"), profile="exact") == "\uf0a7 항목 \uf0fc \uf024"
    assert twins(Paragraph("\uf0a7 항목", char_shape=0), doc_info=shaped("휴먼명조")) == "\uf0a7 항목"
    assert twins(Paragraph("\uf0f0", char_shape=0), doc_info=shaped("Symbol")) == "\uf0f0"
