"""hwp_to_markdown over generated documents: which sections are read, the failures
that reach the caller, and the Markdown written for paragraphs, click-here fields,
tables, equations, pictures and text boxes. Every expected text is worked out from
the conversion rules, not taken from a previous run."""

from __future__ import annotations

import random
import re

import pytest

import _brindle
import brindle
import hwpfixture as hwp
from conftest import runtime_error
from hwpfixture import (
    TAB,
    ClickHere,
    Equation,
    Footnote,
    Header,
    ListControl,
    Paragraph,
    Picture,
    SectionDefinition,
    Table,
    TextBox,
)


def convert(path: str) -> str:
    result = _brindle.hwp_to_markdown(path)
    assert type(result) is str
    result.encode("utf-8")  # no lone surrogates
    return result


@pytest.fixture
def markdown(make_hwp, make_hwpx):
    """markdown(*paragraphs, **write_hwp options): the Markdown of a one-section
    document holding those paragraphs; without options also checked to be what the
    exact profile gives for the same paragraphs written as HWPX."""

    def run(*paragraphs, **options) -> str:
        result = convert(make_hwp([hwp.section(*paragraphs)], **options))
        if not options:
            assert brindle.convert(make_hwpx([paragraphs]), profile="exact") == result
        return result

    return run


COMPRESSION = pytest.mark.parametrize("compressed", [True, False], ids=["compressed", "stored"])

# --- sections -------------------------------------------------------------------------

FIRST = hwp.section(Paragraph(SectionDefinition(), "첫 구역"), "둘째 문단")
SECOND = hwp.section("Second section")
THIRD = hwp.section("   ", "  third\u3000")


@COMPRESSION
def test_sections_are_converted_in_order(make_hwp, compressed):
    path = make_hwp([FIRST, SECOND, THIRD], compressed=compressed)
    assert convert(path) == "첫 구역\n\n둘째 문단\n\nSecond section\n\nthird"


def test_section_numbers_past_nine(make_hwp):
    sections = [hwp.section(f"section {n}") for n in range(12)]
    assert convert(make_hwp(sections)) == "\n\n".join(f"section {n}" for n in range(12))


SECTION_LOOP_ENDS = {
    "gap-after-first": ([FIRST, None, THIRD], {}, "첫 구역\n\n둘째 문단"),
    "corrupt-second": ([FIRST, hwp.corrupt_deflate(), THIRD], {}, "첫 구역\n\n둘째 문단"),
    "zlib-header-second": (
        [FIRST, hwp.zlib_wrapped(SECOND), THIRD],
        {},
        "첫 구역\n\n둘째 문단",
    ),
    "corrupt-first": ([hwp.corrupt_deflate(), SECOND], {}, ""),
    "gap-at-zero": ([None, SECOND], {}, ""),
    "no-sections": ([], {}, ""),
    "section-zero-storage": ([], {"storages": ["/BodyText/Section0"]}, ""),
    # An empty stream is a section without records, not the end of the document.
    "empty-first": ([b"", SECOND], {}, "Second section"),
    "extra-bytes-after-deflate": (
        [hwp.with_trailing_bytes(SECOND), THIRD],
        {},
        "Second section\n\nthird",
    ),
}


@pytest.mark.parametrize("sections, options, expected", SECTION_LOOP_ENDS.values(), ids=SECTION_LOOP_ENDS.keys())
def test_first_unreadable_section_ends_the_document(make_hwp, sections, options, expected):
    assert convert(make_hwp(sections, **options)) == expected


def random_words(rng: random.Random, count: int) -> str:
    """Hangul and Latin words: text that deflate cannot shrink much."""

    def word() -> str:
        if rng.random() < 0.5:
            return "".join(chr(rng.randrange(0xAC00, 0xD7A4)) for _ in range(rng.randrange(1, 5)))
        return "".join(rng.choice("abcdefghijklmnopqrstuvwxyz") for _ in range(rng.randrange(1, 9)))

    return " ".join(word() for _ in range(count))


@pytest.mark.parametrize("keep", [0.3, 0.8])
def test_section_cut_short_keeps_what_was_decoded(make_hwp, keep):
    """A compressed section that ends before its final block gives the paragraphs whose
    text record was decoded whole; it is no failure, so the next section is read."""
    rng = random.Random(5)
    texts = [random_words(rng, 40) for _ in range(60)]
    data, ends = b"", []
    for text in texts:
        data += Paragraph(text, shapes=False).records(0)
        ends.append(len(data))
    cut = hwp.deflate_cut_short(data, keep)
    decoded = len(hwp.inflate_raw(cut))
    kept = [text for text, end in zip(texts, ends) if end <= decoded]
    assert 0 < len(kept) < len(texts)
    path = make_hwp([SECOND, cut, THIRD])
    assert convert(path) == "\n\n".join(["Second section", *kept, "third"])
    # Where the records stop, the warnings say (past the last whole paragraph, in the
    # records of the one cut short); the Markdown is the same.
    whole = max([0] + [end for end in ends if end <= decoded])
    [warning] = brindle.parse(path).warnings
    at = re.fullmatch(
        rf"/BodyText/Section1: a record cut short at byte (\d+) of {decoded}; "
        "the records from there on are passed over",
        warning,
    )
    assert at and whole <= int(at[1]) < decoded
    # A section that cannot be inflated at all ends the document, and says so.
    corrupt = brindle.parse(make_hwp([FIRST, hwp.corrupt_deflate(), THIRD]))
    assert corrupt.markdown == "첫 구역\n\n둘째 문단" and len(corrupt.warnings) == 1
    assert corrupt.warnings[0].startswith("/BodyText/Section1: ") and corrupt.warnings[0].endswith(
        "; the document ends before it"
    )


@COMPRESSION
def test_large_section(make_hwp, compressed):
    rng = random.Random(11)
    texts = [random_words(rng, rng.randrange(50, 250)) for _ in range(250)]
    texts.append("긴 문단 " * 1500 + "끝")  # a text record past 4095 bytes: extended size
    data = hwp.section(*texts)
    stored = hwp.hwp_streams([data], compressed)["/BodyText/Section0"]
    assert len(data) >= 300_000 and len(stored) >= 4096  # regular sectors either way
    assert convert(make_hwp([data], compressed=compressed)) == "\n\n".join(texts)


@pytest.mark.parametrize(
    "options, expected",
    [
        ({"properties": 0x2}, "Password-protected HWP files are not supported"),
        ({"properties": 0x3}, "Password-protected HWP files are not supported"),
        ({"header": hwp.file_header(1, length=39)}, "Parse error: FileHeader too short"),
        ({"header": hwp.file_header(1, signature=b"HWP Document Fila")}, "Invalid HWP signature"),
    ],
    ids=["password", "password-compressed", "short-header", "bad-signature"],
)
def test_header_failures_reach_the_caller(make_hwp, options, expected):
    assert runtime_error(_brindle.hwp_to_markdown, make_hwp([FIRST], **options)) == expected


@pytest.mark.parametrize("path", ["", "/nonexistent/brindle/missing.hwp"], ids=["empty", "missing"])
def test_unopenable_path(path):
    assert runtime_error(_brindle.hwp_to_markdown, path).startswith("IO error: ")


# --- the sample document ---------------------------------------------------------------

SAMPLE_MARKDOWN = (
    # The page header, before the heading's text, is not output, nor the paragraphs'
    # numbers and bullets.
    "회의록\n"
    "\n"
    "이 문서는 변환기를 시험하기 위한 예제입니다.\n"
    "\n"
    "This document is a small sample written to exercise the converter.\n"
    "\n"
    # The modified field shows its content; the other still holds its guide text, a
    # placeholder. The tab between them leaves nothing.
    "작성자: {{작성자: 이름을 입력하세요 --> 홍길동}}Date: {{date: YYYY-MM-DD}}\n"
    "\n"
    "안건\n\n실적 검토\n\n다음 분기 계획\n\n기타\n"
    "\n"
    # The footnote's anchor leaves nothing, nor its text; the link keeps its text.
    "참석: 영업팀, 기획팀\n"
    "\n"
    "자세한 내용은 사내 게시판을 보세요.\n"
    "\n"
    "분기별 실적\n"
    "\n"
    # The caption is passed over; cells are placed in record order, so the quarters
    # land left of where the spans put them.
    "|구분|실적||\n"
    "|---|---|---|\n"
    "|1분기|2분기||\n"
    "|매출|120|130 (잠정)|\n"
    "\n"
    "넓이 공식:\n"
    "\n"
    "$$\n"
    "S = pi r^2\n"
    "$$\n"
    "\n"
    # By the exact rules an equation ends the text before it, whatever its placing.
    "근의 공식 로 푼다.\n"
    "\n"
    "$$\n"
    "x = {-b +- sqrt {b^2 - 4ac}} over {2a}\n"
    "$$\n"
    "\n"
    "[이미지: 그림 1. 회사 로고]\n"
    "\n"
    "Note: figures are in millions of won.\n"
    "단위: 백만 원\n"
    "\n"
    # The form's cells fill its rows from the left; the text box in a cell is passed
    # over.
    "|[ 문서번호 ]|재산46014-1161 (2000. 10. 4.)|||\n"
    "|---|---|---|---|\n"
    "|[ 세    목 ]|양도|[ 판결유형 ]|국승|\n"
    "|[ 산 식 ]|취득가액 = 양도가액 ×|||\n"
    "\n"
    "Second section.\n"
    "\n"
    "끝."
)


@COMPRESSION
def test_sample_document(make_hwp, compressed):
    path = make_hwp(hwp.build_sample_document(), compressed=compressed)
    assert convert(path) == SAMPLE_MARKDOWN


# --- paragraphs and the controls anchored in them ----------------------------------------

TOTALS = Table([["a", "b"]])


@pytest.mark.parametrize(
    "paragraph",
    [
        Paragraph("Total:", TOTALS),
        Paragraph(TOTALS, "Total:"),
        Paragraph("To", TOTALS, "tal:"),
    ],
    ids=["anchor-last", "anchor-first", "anchor-inside"],
)
def test_paragraph_text_precedes_its_table(markdown, paragraph):
    assert markdown(paragraph, "End") == "Total:\n\n|a|b|\n|---|---|\n\nEnd"


@pytest.mark.parametrize("name", ["head", "foot", "fn  ", "en  ", "tcmt"])
def test_controls_with_their_own_text_are_skipped(markdown, name):
    """Header, footer, footnote, endnote and hidden-comment text is not body text, nor
    are the tables and equations anchored in it."""
    note = ListControl(name, ["숨은 글", Paragraph("표", Table([["x"]]), Equation("y"))])
    assert markdown(Paragraph("본문", note, " 계속"), "다음") == "본문 계속\n\n다음"


def test_text_decoding(markdown):
    assert (
        markdown(
            Paragraph("A", TAB, "B", hwp.LINE_BREAK, "C"),  # control codes leave nothing
            Paragraph("x", b"\x00\xd8", "y", b"\x00\xdc", "z"),  # lone surrogates dropped
            "웃음 \U0001f600",  # a surrogate pair
            Paragraph(hwp.field_start("%hlk"), "link", hwp.FIELD_END, " text"),  # a hyperlink
            Paragraph("x", hwp.field_start(), "abc"),  # a click-here field never closed
            "\ue0000\ue000",  # a field mark's characters with no field: left alone
        )
        == "ABC\n\nxyz\n\n웃음 \U0001f600\n\nlink text\n\nxabc\n\n\ue0000\ue000"
    )


# --- click-here fields -------------------------------------------------------------------

FIELD_CASES = {
    "guide-text-unchanged": (("Name", "Type here", "Type here", False), "{{Name: Type here}}"),
    "filled": (("Name", "Type here", "Kim", False), "{{Name: Type here --> Kim}}"),
    "modified-to-guide-text": (
        ("Name", "Type here", "Type here", True),
        "{{Name: Type here --> Type here}}",
    ),
    "modified-to-empty": (("Name", "Type here", "", True), "{{Name: Type here}}"),
    "no-guide-text": (("Name", "", "Kim", False), "{{Name}}"),
    "no-guide-text-modified": (("Name", "", "Kim", True), "{{Name --> Kim}}"),
    "korean": (("성명", "이름", "홍길동", False), "{{성명: 이름 --> 홍길동}}"),
}


@pytest.mark.parametrize("field, rendered", FIELD_CASES.values(), ids=FIELD_CASES.keys())
def test_click_here_field(markdown, field, rendered):
    paragraph = Paragraph("Dear ", ClickHere(*field), ",")
    expected = f"Dear {rendered},"
    # In a body paragraph and in a table cell alike.
    assert markdown(paragraph) == expected
    assert markdown(Table([[[paragraph]]])) == f"|{expected}|\n|---|"


@pytest.mark.parametrize("writer", ["hwp", "hwpx"])
def test_form_fields_are_data_wherever_they_stand(make_hwp, make_hwpx, writer):
    def field(n: int, filled: bool = True) -> ClickHere:
        return ClickHere(f"칸{n}", f"안내{n}", f"값{n}" if filled else f"안내{n}", False)

    body = [
        Paragraph(Header([Paragraph("머리 ", field(1))])),
        Paragraph("본문 ", field(2), " ", field(3, filled=False)),
        Paragraph(Table([["이름", [Paragraph(field(4))]], ["주소", "서울"]])),
        Paragraph(TextBox([Paragraph(field(5))])),
        Paragraph("주석", Footnote([Paragraph(field(6))])),
    ]
    path = make_hwp([hwp.section(*body)]) if writer == "hwp" else make_hwpx([body])
    document = brindle.parse(path)
    assert [(f.name, f.guide, f.value) for f in document.fields] == [
        ("칸1", "안내1", "값1"),
        ("칸2", "안내2", "값2"),
        ("칸3", "안내3", None),
        ("칸4", "안내4", "값4"),
        ("칸5", "안내5", "값5"),
        ("칸6", "안내6", "값6"),
    ]
    assert "{{칸2: 안내2 --> 값2}}" in document.markdown and document.warnings == []
    with pytest.raises(AttributeError):
        document.fields[0].value = "x"  # type: ignore[misc]


@pytest.mark.parametrize("writer", ["hwp", "hwpx"])
def test_bounds_the_walk_meets_are_warned_of_once(make_hwp, make_hwpx, writer):
    box: object = "맨 안"
    for _ in range(10):  # text boxes in text boxes, past the eight lists that are walked
        box = Paragraph(TextBox([box]))
    table: object = "바닥"
    for _ in range(5):  # tables in cells, past the three levels that are read
        table = Paragraph(Table([[[table], "옆"]]))
    body = [box, box, table, "끝"]
    path = make_hwp([hwp.section(*body)]) if writer == "hwp" else make_hwpx([body])
    document = brindle.parse(path)
    assert document.warnings == [
        "paragraph lists nested more than 8 deep (in text boxes, notes, cells) are passed over",
        "tables nested more than 3 deep in cells are passed over",
    ]
    assert document.markdown.endswith("끝") and "맨 안" not in document.markdown


def test_field_described_after_another_control_is_plain_text(markdown):
    """Any other control ends the paragraph before its field descriptions are read, so
    the field is written as its content."""
    field = ClickHere("Name", "Type here", "Kim")
    note = ListControl("fn  ", ["note"])
    assert (
        markdown(
            Paragraph("Dear ", field, ",", note),
            Paragraph("Dear ", note, field, ","),
            Paragraph(SectionDefinition(), "Dear ", field, ","),
        )
        == "Dear {{Name: Type here --> Kim}},\n\nDear Kim,\n\nDear Kim,"
    )


# --- tables ---------------------------------------------------------------------------------


def test_cell_text_is_made_safe(markdown):
    """'|' is escaped and line feeds become spaces, in cells only; carriage returns
    and backslashes stay. Field names and guide texts can carry line feeds."""
    table = Table(
        [
            ["a|b", "c\\"],
            [
                [Paragraph(ClickHere("x\ny", "", "z"))],
                [Paragraph(ClickHere("n", "line1\nline2"))],
                [Paragraph(ClickHere("p\rq", ""))],
            ],
        ]
    )
    assert markdown(table, Paragraph(ClickHere("n", "line1\nline2", "|"))) == (
        "|a\\|b|c\\||\n|---|---|---|\n|{{x y}}|{{n: line1 line2}}|{{p\rq}}|\n\n{{n: line1\nline2 --> |}}"
    )


def test_cells_fold_nested_tables_and_drop_objects(markdown):
    nested = Table([["p", ""], ["q"]])
    table = Table(
        [
            [["x", Paragraph(nested)], [Paragraph(nested)]],
            [[Paragraph("식", Equation("a+b"))], [Paragraph("그림", Picture(["caption"]))]],
            [["  first ", "", "second"]],
        ]
    )
    assert markdown(table) == "|x p q|p q|\n|---|---|\n|식|그림|\n|first second||"


# --- equations, pictures, text boxes and the final trim ------------------------------------

BLOCKS = {
    "equation": ([Paragraph("Hello", Equation(" x^2 "))], "Hello\n\n$$\nx^2\n$$"),
    "blank-equation": ([Paragraph(Equation("   "))], "$$\n\n$$"),
    "empty-equation": ([Paragraph(Equation("")), "A"], "A"),
    "picture": ([Paragraph(Picture())], "[이미지]"),
    "captioned-picture": ([Paragraph(Picture(["Figure 1", "   "]))], "[이미지: Figure 1]"),
    "two-caption-lines": ([Paragraph(Picture([" Figure", "1 "]))], "[이미지: Figure 1]"),
    "not-a-picture": ([Paragraph(Picture(picture_size=72)), "A"], "A"),
    "caption-without-picture": ([Paragraph(Picture(["cap"], picture_size=72))], "cap"),
    "text-box": ([Paragraph(TextBox(["  a ", "", "b"]))], "a\nb"),
    "text-box-with-caption": ([Paragraph(TextBox(["text"], caption=["cap"]))], "text"),
    "blank-text-box": ([Paragraph(TextBox(["  "])), "A"], "A"),
    "blank-paragraphs": (["  Hello\u3000 ", " ", "\u00a0", "B"], "Hello\n\nB"),
    "ends-in-table": (["A", Paragraph(Table([["x", "y"]]))], "A\n\n|x|y|\n|---|---|"),
    "short-rows": ([Paragraph(Table([[], ["p", "q"], ["r"]]))], "|||\n|---|---|\n|p|q|\n|r||"),
    # A table of empty rows is one line feed: the start of the text is not trimmed.
    "starts-with-empty-rows": ([Paragraph(Table([[], []])), "A"], "\nA"),
    "only-empty-rows": ([Paragraph(Table([[]]))], ""),
}


@pytest.mark.parametrize("paragraphs, expected", BLOCKS.values(), ids=BLOCKS.keys())
def test_blocks(markdown, paragraphs, expected):
    assert markdown(*paragraphs) == expected
