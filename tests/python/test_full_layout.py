"""The full profile's tables and drawing objects, over generated documents: tables laid
out to be read (the declared grid reduced to the columns where cells start, empty rows
and columns left out, a table of one cell written as its content, a form written row by
row without its padding, a page laid out in a grid written as its lines), the text and
pictures of drawing objects wherever they stand (groups nested in groups, table cells,
headers, notes) with their captions, and documents saved for distribution reported
rather than converted. Every expected text is worked out from the document written."""

from __future__ import annotations

import json
import subprocess
import sys

import pytest

import brindle
import hwpfixture as hwp
from hwpfixture import Cell, Equation, Footnote, Group, Header, Paragraph, Picture, Table, TextBox
from markdown_check import read, rendered_text, written_tables


@pytest.fixture
def full(twins):
    """full(*paragraphs) -> the full profile's Markdown, checked to render with every
    table the renderer finds being one the Markdown writes, and to be that of the same
    paragraphs written as HWPX."""

    def run(*paragraphs) -> str:
        markdown = twins(*paragraphs)
        assert read(markdown).tables == written_tables(markdown)
        return markdown

    return run


def form_row(row: int, *cells: tuple[str, int, int]) -> list[Cell]:
    """A row of a form: cells (text, first column, columns spanned)."""
    return [Cell(text, column, row, col_span=span) for text, column, span in cells]


def test_a_form_on_a_fine_grid_is_written_row_by_row_each_label_next_to_its_value(full):
    # 38 declared columns, as forms declare them; the labels and values span them
    # differently from row to row, so that in the columns where cells start half the
    # positions would be padding, between a label and its value.
    form = Table(
        [
            form_row(0, ("문서번호", 0, 7), ("재산46014-1161", 7, 31)),
            form_row(1, ("세목", 0, 7), ("양도", 7, 12), ("판결유형", 19, 7), ("국승", 26, 12)),
            form_row(2, ("직전 사건번호", 0, 11), ("2013서0827", 11, 27)),
        ],
        columns=38,
    )
    markdown = full(Paragraph(form))
    assert markdown == (
        "|문서번호|재산46014-1161|||\n|---|---|---|---|\n|세목|양도|판결유형|국승|\n|직전 사건번호|2013서0827|||"
    )
    assert read(markdown).tables == [[4, 4, 4]]


def test_a_blank_form_keeps_its_blanks_and_the_rows_under_a_spanning_label_their_places(full):
    # A form to fill in: a label spanning two rows, the blanks after labels that are
    # their values, a narrow spacer, a sentence across the form; the last row, whose
    # own columns line up, is a table of its own (no row of a table is less than half
    # as long as another).
    form = Table(
        [
            [
                Cell("인적사항", 0, 0, col_span=2, row_span=2),
                Cell("소 속", 2, 0, col_span=3),
                Cell("", 5, 0, col_span=8),
            ],
            [
                Cell("계급", 2, 1, col_span=2),
                Cell("", 4, 1, col_span=2),
                Cell("성명", 6, 1, col_span=2),
                Cell("", 8, 1, col_span=5),
            ],
            [Cell("위반유형", 0, 2, col_span=2), Cell("", 2, 2, col_span=11)],
            [Cell("위반내용", 0, 3, col_span=2), Cell("", 2, 3, col_span=11)],
            [Cell("위와 같이 신청합니다.", 0, 4, col_span=13)],
            [Cell("신청인", 0, 5, col_span=4), Cell("", 4, 5), Cell("(인)", 5, 5, col_span=8)],
        ],
        columns=13,
    )
    assert full(Paragraph(form)) == (
        "|인적사항|소 속|||\n|---|---|---|---|\n||계급||성명|\n|위반유형||||\n|위반내용||||\n\n"
        "위와 같이 신청합니다.\n\n|신청인|(인)|\n|---|---|"
    )
    # A form's rows go into tables of rows of like length; one whose own columns line
    # up (rows under a header spanning two of their columns) is a table of them.
    spans_down = dict(row_span=2)
    contract = Table(
        [
            form_row(0, ("업체명", 0, 5), ("가나상사", 5, 11)),
            form_row(1, ("주소", 0, 3), ("서울", 3, 13)),
            [
                Cell("연도", 0, 2, col_span=2, **spans_down),
                Cell("금액", 2, 2, col_span=2, **spans_down),
                Cell("이행실적", 4, 2, col_span=8),
                Cell("비고", 12, 2, col_span=2, **spans_down),
                Cell("확인", 14, 2, col_span=2, **spans_down),
            ],
            form_row(3, ("비율", 4, 4), ("실적", 8, 4)),
            form_row(4, ("2024", 0, 2), ("9억", 2, 2), ("100", 4, 4), ("5억", 8, 4), ("-", 12, 2), ("확인함", 14, 2)),
        ],
        columns=16,
    )
    assert full(Paragraph(contract)) == (
        "|업체명|가나상사|\n|---|---|\n|주소|서울|\n\n"
        "|연도|금액|이행실적||비고|확인|\n|---|---|---|---|---|---|\n|||비율|실적|||\n|2024|9억|100|5억|-|확인함|"
    )


def test_a_notice_laid_out_in_a_fine_grid_is_its_lines(twins):
    # A notice converted from a web page: one grid of 25 columns for the whole page,
    # each row a line of one or two pieces (a number and its text, a label and its
    # value) at varying columns, now and then three (a mark, a label, a value). Each
    # line is a paragraph, its pieces one after the other; the title is a paragraph of
    # its own, and a paragraph with a number of its own starts its own.
    numbered = hwp.DocInfo(
        numberings=[hwp.Numbering()], para_shapes=[hwp.ParaShape(), hwp.ParaShape("number", 0, numbering=1)]
    )
    notice = Table(
        [
            [Cell("우편번호:", 0, 0, col_span=11), Cell("61011", 11, 0, col_span=14)],
            [Cell("수요물자 조달 입찰 공고", 0, 1, col_span=25)],
            [Cell("【 이 계약은 청렴계약제가 적용됩니다 】", 21, 2, col_span=4)],
            [Cell("1.", 3, 3, col_span=3), Cell("금품·향응을 요구하지 않겠습니다.", 9, 3, col_span=16)],
            [
                Cell("○", 0, 4, col_span=2),
                Cell("공고명:", 2, 4, col_span=10),
                Cell("작품 운송 용역", 12, 4, col_span=13),
            ],
            [Cell([Paragraph("- 입찰자: 5"), Paragraph("- 계약상대자: 10")], 3, 5, col_span=22)],
            [Cell("2.", 3, 6, col_span=3), Cell([Paragraph("안내", shape=1)], 9, 6, col_span=16)],
            [Cell("광주지방조달청", 22, 7, col_span=3)],
        ],
        columns=25,
    )
    markdown = twins(Paragraph(notice), doc_info=numbered)
    assert markdown == (
        "우편번호: 61011\n\n수요물자 조달 입찰 공고\n\n【 이 계약은 청렴계약제가 적용됩니다 】\n\n"
        "1\\. 금품·향응을 요구하지 않겠습니다.\n\n○ 공고명: 작품 운송 용역\n\n\\- 입찰자: 5\n\n\\- 계약상대자: 10\n\n"
        "2\\.\n\n1. 안내\n\n광주지방조달청"
    )
    assert read(markdown).tables == []


def test_empty_rows_and_columns_are_not_written(full):
    grid = Table(
        [
            ["", "가", "", "나"],
            ["", "", "", ""],  # a spacer row
            ["", "다", "", "라"],
        ]
    )
    assert full(Paragraph(grid)) == "|가|나|\n|---|---|\n|다|라|"
    # A row covered only by a cell spanning down from above holds no text either.
    spanned = Table(
        [[Cell("위아래", 0, 0, row_span=2), Cell("a", 1, 0)], [], [Cell("b", 0, 2), Cell("c", 1, 2)]],
        columns=2,
        cells_per_row=[2, 0, 2],
    )
    assert full(Paragraph(spanned)) == "|위아래|a|\n|---|---|\n|b|c|"
    # A table without text writes nothing; its caption stays.
    assert full(Paragraph(Table([["", ""], ["", ""]], caption=["표 1 빈 표"]))) == "표 1 빈 표"


def test_a_title_spanning_the_first_row_leaves_the_grid_a_header_cell_does_not(full):
    title = Table(
        [[Cell("2024년 실적", 0, 0, col_span=3)], ["구분", "상반기", "하반기"], ["매출", "10", "12"]], columns=3
    )
    assert full(Paragraph(title)) == "2024년 실적\n\n|구분|상반기|하반기|\n|---|---|---|\n|매출|10|12|"
    # A first-row cell spanning two of three columns heads one table.
    spans = Table([[Cell("기간", 0, 0, col_span=2), Cell("비고", 2, 0)], ["1월", "2월", "-"]], columns=3)
    markdown = full(Paragraph(spans))
    assert markdown == "|기간||비고|\n|---|---|---|\n|1월|2월|-|"
    assert read(markdown).tables == [[3, 3]]


def full_row(row: int, content, columns: int = 2) -> list[Cell]:
    return [Cell(content, 0, row, col_span=columns)]


def test_a_form_of_label_and_answer_rows_reads_as_the_document_does(full, twins):
    # Labels, and answers that span the table: paragraphs, a numbered list, a
    # nested table; the rows of two cells between them stay a table of their own.
    numbered = hwp.DocInfo(
        numberings=[hwp.Numbering()], para_shapes=[hwp.ParaShape(), hwp.ParaShape("number", 0, numbering=1)]
    )
    form = Table(
        [
            full_row(0, "[ 제    목 ]"),
            full_row(1, "주택재건축조합원입주권의 비과세 기준"),
            ["문서번호", "재산-1161"],
            ["세목", "양도"],
            full_row(4, "[ 요    지 ]"),
            full_row(5, [Paragraph("첫째", shape=1), Paragraph("둘째", shape=1), Paragraph(Table([["가", "나"]]))]),
        ],
        columns=2,
    )
    markdown = twins(Paragraph(form), doc_info=numbered)
    assert markdown == (
        "[ 제    목 ]\n\n주택재건축조합원입주권의 비과세 기준\n\n|문서번호|재산-1161|\n|---|---|\n|세목|양도|\n\n"
        "[ 요    지 ]\n\n1. 첫째\n\n2. 둘째\n\n|가|나|\n|---|---|"
    )
    assert read(markdown).tables == written_tables(markdown) == [[2, 2], [2]]
    # A one-column table is its content; a group row inside a data table stays in it.
    assert full(Paragraph(Table([["하나"], ["둘"], ["셋"]]))) == "하나\n\n둘\n\n셋"
    data = Table(
        [["구분", "값", "비고"], ["가", "1", "-"], full_row(2, "소계", 3), ["나", "2", "-"], ["다", "3", "-"]],
        columns=3,
    )
    assert full(Paragraph(data)) == "|구분|값|비고|\n|---|---|---|\n|가|1|-|\n|소계|||\n|나|2|-|\n|다|3|-|"


def test_a_schedule_shows_its_shaded_months_and_shading_that_dresses_a_table_adds_nothing(twins):
    # A project schedule whose months are shown only by shading: under a grey header
    # over two rows, a bar in a darker grey, one drawn as a cell over three months,
    # one in a second colour, one under a label spanning the two rows it is drawn
    # in; a cell filled white shows no fill. Each shaded month is a mark, where the
    # grid writes it.
    fills = hwp.DocInfo(
        border_fills=[
            hwp.BorderFill(),
            hwp.BorderFill("#E5E5E5"),
            hwp.BorderFill("#B2B2B2"),
            hwp.BorderFill(gradation=["#9DC3E6", "#FFFFFF"]),
            hwp.BorderFill("#FFFFFF"),
        ]
    )
    plain, header, bar, second, white = 1, 2, 3, 4, 5

    def months(row: int, shaded: dict[int, int]) -> list[Cell]:
        return [Cell("", column, row, border_fill=shaded.get(column, plain)) for column in range(1, 5)]

    schedule = Table(
        [
            [
                Cell("추진 업무", 0, 0, row_span=2, border_fill=header),
                Cell("2025년", 1, 0, col_span=4, border_fill=header),
            ],
            [Cell(f"{m}월", m - 4, 1, border_fill=header) for m in range(5, 9)],
            [Cell("과업준비", 0, 2)] + months(2, {1: bar, 2: bar, 3: white}),
            [Cell("사례조사", 0, 3), Cell("", 1, 3), Cell("", 2, 3, col_span=3, border_fill=bar)],
            [Cell("효과분석", 0, 4)] + months(4, {2: second, 3: bar}),
            [Cell("보고", 0, 5, row_span=2)] + months(5, {}),
            months(6, {4: bar}),
        ],
        columns=5,
    )
    markdown = twins(Paragraph(schedule), doc_info=fills)
    assert markdown == (
        "|추진 업무|2025년||||\n|---|---|---|---|---|\n||5월|6월|7월|8월|\n"
        "|과업준비|■|■|||\n|사례조사||■|■|■|\n|효과분석||■|■||\n|보고||||■|"
    )
    assert read(markdown).tables == written_tables(markdown)
    # The same shading where it only dresses the table: a shaded corner over a grey
    # header, a form whose labels are grey (two left blank), a column shaded to be
    # filled in. Nothing is added to what the table writes without its fills.
    dressed = Table(
        [
            [
                Cell("", 0, 0, border_fill=bar),
                Cell("상반기", 1, 0, border_fill=header),
                Cell("하반기", 2, 0, border_fill=header),
                Cell("점수", 3, 0, border_fill=header),
            ],
            [
                Cell("성명", 0, 1, border_fill=header),
                Cell("홍길동", 1, 1),
                Cell("", 2, 1),
                Cell("", 3, 1, border_fill=bar),
            ],
            [Cell("", 0, 2, border_fill=header), Cell("", 1, 2), Cell("서울", 2, 2), Cell("", 3, 2, border_fill=bar)],
            [
                Cell("주소", 0, 3, border_fill=header),
                Cell("", 1, 3, border_fill=header),
                Cell("부산", 2, 3),
                Cell("", 3, 3, border_fill=bar),
            ],
        ],
        columns=4,
    )
    unshaded = Table(
        [[Cell(c.content, c.column, c.row, c.col_span, c.row_span) for c in row] for row in dressed.rows], columns=4
    )
    assert twins(Paragraph(dressed), doc_info=fills) == twins(Paragraph(unshaded), doc_info=fills)
    assert "■" not in twins(Paragraph(dressed), doc_info=fills)
    # The exact profile writes no marks.
    assert "■" not in twins(Paragraph(schedule), doc_info=fills, profile="exact")


def test_a_table_of_one_cell_is_its_content(full, make_hwp):
    numbered = hwp.DocInfo(
        numberings=[hwp.Numbering()], para_shapes=[hwp.ParaShape(), hwp.ParaShape("number", 0, numbering=1)]
    )
    frame = Table(
        [[[Paragraph("안내"), Paragraph("첫째", shape=1), Paragraph(Table([["a", "b"], ["c", "d"]]))]]],
        caption=["표 1 안내문"],
        caption_side="top",
    )
    path = make_hwp([hwp.section(Paragraph("앞", frame), "뒤")], doc_info=numbered)
    assert brindle.convert(path) == "앞\n\n표 1 안내문\n\n안내\n\n1. 첫째\n\n|a|b|\n|---|---|\n|c|d|\n\n뒤"
    # In a cell it is folded into the cell's text, as any nested table is.
    nested = Table([[[Paragraph("x", Table([["안쪽"]]))], "y"]])
    assert full(Paragraph(nested)) == "|x<br>안쪽|y|\n|---|---|"
    # In a page header its blocks are the header's.
    header = Paragraph(Header([Paragraph(Table([[["회사명", "대외비"]]]))]))
    assert full(header, "본문") == "> 머리말: 회사명\n>\n> 대외비\n\n본문"


def test_groups_show_every_member_nested_to_any_depth(full):
    inner = Group([TextBox(["가장 안"], kind="$ell"), Picture()])
    group = Group([TextBox(["바깥"]), TextBox([]), Group([TextBox(["둘째", "줄"], kind="$pol"), inner])])
    assert full(Paragraph("앞", group), "뒤") == "앞\n\n바깥\n\n둘째\n\n줄\n\n가장 안\n\n[이미지]\n\n뒤"
    # Every kind of shape that holds text gives it.
    for kind in hwp.SHAPE_RECORDS:
        assert full(Paragraph(TextBox([f"{kind} 글"], kind=kind))) == f"{kind} 글"


def test_captions_stand_on_their_side_of_the_object(full):
    assert full(Paragraph(TextBox(["글상자"], caption=["그림 1 캡션"]))) == "글상자\n\n그림 1 캡션"
    assert full(Paragraph(TextBox(["글상자"], caption=["위 캡션"], caption_side="top"))) == "위 캡션\n\n글상자"
    assert full(Paragraph(Group([Picture(), Picture()], caption=["그림 2"]))) == "[이미지]\n\n[이미지]\n\n그림 2"
    # A picture alone keeps its caption in its placeholder.
    assert full(Paragraph(Picture(caption=["그림 3 로고"]))) == "[이미지: 그림 3 로고]"
    assert (
        full(Paragraph(Equation("E=mc^2", caption=["식 1"]))) == "$$\nE=mc^{2}\n$$\n\n식 1"
    )  # LaTeX in the full profile
    assert full(Paragraph(Equation("a+b", caption=["식 2"], caption_side="left"))) == "식 2\n\n$$\na+b\n$$"


def test_drawing_objects_in_cells_write_into_the_cell_in_its_order(full):
    # A fraction drawn as a text box inside a cell, as tax rulings draw formulas.
    formula = TextBox(["양도당시의 기준시가", "취득당시의 기준시가"])
    table = Table(
        [
            ["계산식", [Paragraph("취득가액 = 양도가액 ×", formula), "끝"]],
            [[Paragraph(Picture(caption=["직인"]))], [Paragraph(Group([TextBox(["| 칸"]), Picture()]))]],
        ]
    )
    assert full(Paragraph(table)) == (
        "|계산식|취득가액 = 양도가액 ×<br>양도당시의 기준시가<br>취득당시의 기준시가<br>끝|\n"
        "|---|---|\n"
        "|[이미지: 직인]|\\| 칸<br>[이미지]|"
    )


def test_drawing_objects_in_headers_and_notes(full):
    header = Paragraph(Header([Paragraph("머리", TextBox(["상자 안"]))]))
    body = Paragraph("본문", Footnote([Paragraph("주", Group([TextBox(["메모"])]))]))
    assert full(header, body) == "> 머리말: 머리\n>\n> 상자 안\n\n본문[^1]\n\n[^1]: 주\n\n    메모"


def test_the_exact_profile_keeps_its_rules(make_hwp):
    # One picture record makes the whole group a picture; a text box drops its caption;
    # tables are written as declared.
    path = make_hwp(
        [
            hwp.section(
                Paragraph(Group([TextBox(["목"]), Picture()])),
                Paragraph(TextBox(["글"], caption=["캡션"])),
                Paragraph(Table([["", "가"], ["", ""]])),
                Paragraph(Table([["하나"]])),
            )
        ]
    )
    assert brindle.convert(path, profile="exact") == "[이미지]\n\n글\n\n||가|\n|---|---|\n|||\n\n|하나|\n|---|"


DISTRIBUTION = hwp.PROPERTY_COMPRESSED | hwp.PROPERTY_DISTRIBUTION
NOTICE = "이 문서는 상위 버전의 배포용 문서입니다."


def distribution_document(make_hwp, view_text: bool = True) -> str:
    # /ViewText holds the encrypted body; its bytes are never read.
    extra = {"/ViewText/Section0": bytes(range(256)) * 4} if view_text else {}
    return make_hwp([hwp.section(NOTICE)], properties=DISTRIBUTION, extra_streams=extra)


def test_a_distribution_document_is_reported_not_converted(make_hwp, tmp_path):
    path = distribution_document(make_hwp)
    with pytest.raises(brindle.DistributionProtectedError) as info:
        brindle.convert(path)
    assert isinstance(info.value, brindle.DocumentError) and info.value.filename == path
    assert str(info.value).startswith("Distribution-protected HWP document:")
    with pytest.raises(brindle.DistributionProtectedError):
        brindle.convert(open(path, "rb").read())
    # The exact profile and _brindle convert the notice it holds.
    assert brindle.convert(path, profile="exact") == NOTICE
    import _brindle

    assert _brindle.hwp_to_markdown(path) == NOTICE
    # The header flag without the encrypted body: the body is all there is.
    assert brindle.convert(distribution_document(make_hwp, view_text=False)) == NOTICE
    # The command line lists it among the failures, with its kind.
    errors = tmp_path / "failures.jsonl"
    done = subprocess.run(
        [sys.executable, "-m", "brindle", "convert", path, "-o", str(tmp_path / "out"), "--errors", str(errors), "-q"],
        capture_output=True,
        text=True,
    )
    assert done.returncode == 1
    assert "Distribution-protected HWP document" in done.stderr
    record = json.loads(errors.read_text())
    assert record["kind"] == "DistributionProtectedError" and record["path"] == path


def test_every_character_of_the_exact_profile_is_kept(make_hwp):
    # The documents above, by both profiles: the full profile shows at least the
    # exact profile's characters.
    paragraphs = [
        Paragraph(Group([TextBox(["목"]), Group([Picture(), TextBox(["차"])])], caption=["그림"])),
        Paragraph(Table([[Cell("넓은 칸", 0, 0, col_span=5), Cell("끝", 5, 0)], ["", "a", "", "", "", "b"]])),
        Paragraph(Table([[[Paragraph("틀", TextBox(["안"]))]]])),
    ]
    path = make_hwp([hwp.section(*paragraphs)])
    shown = rendered_text(brindle.convert(path)).replace(" ", "")
    exact = brindle.convert(path, profile="exact").replace("[이미지: ", "").replace("|", "").replace("-", "")
    for character in set(exact) - set(" \n[]"):
        assert shown.count(character) >= exact.count(character), character
