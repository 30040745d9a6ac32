"""Pages from the layout a document stores (full profile), over generated documents
written in both formats with their lines' tops: lines going up, page and column
breaks, column regions, new column layouts, a page-high table, a turned page, a line
hung below the body, sections, and documents without their layout. The pages are
read through tools/page_starts (the package does not hand them out yet), marked and
unmarked; the unmarked text must be the conversion's, and both formats must agree.
Every expected page is worked out from the lines written."""

from __future__ import annotations

import json
import os
import re
import subprocess
from pathlib import Path

import pytest

import brindle
import hwpfixture as hwp
from conftest import REPO_ROOT
from hwpfixture import ColumnDefinition, Paragraph, SectionDefinition, Table

TOOL = Path(os.environ.get("BRINDLE_PAGE_STARTS", REPO_ROOT / "build" / "release" / "tools" / "page_starts"))
pytestmark = pytest.mark.skipif(not TOOL.is_file(), reason=f"{TOOL} is not built")

MARKER = re.compile(r"<!-- page (\d+) -->\n\n")
BODY = 84188 - 5668 - 3 * 4252  # the fixture's A4 page inside its margins


def page_starts(path: str, markers: bool) -> tuple[str, list[tuple[int, int]]]:
    options = ["--markdown"] + (["--markers"] if markers else [])
    done = subprocess.run([str(TOOL), *options, path], capture_output=True, text=True, check=True)
    result = json.loads(done.stdout)
    assert "error" not in result, result
    return result["markdown"], [tuple(page) for page in result["pages"]]


@pytest.fixture
def paged(make_hwp, make_hwpx):
    """paged(*sections) -> the Markdown marked with its pages, of the sections (lists of
    paragraphs) written as HWP and as HWPX, which must agree; unmarked, the text must be
    the conversion's and each page must begin where its marker stood."""

    def run(*sections) -> str:
        marked = None
        for path in (make_hwp([hwp.section(*s) for s in sections]), make_hwpx([list(s) for s in sections])):
            text, starts = page_starts(path, markers=True)
            plain, plain_starts = page_starts(path, markers=False)
            assert plain == brindle.convert(path, profile="full")
            assert MARKER.sub("", text) == plain
            # Offsets count UTF-8 bytes.
            found = [(int(m.group(1)), len(text[: m.start()].encode())) for m in MARKER.finditer(text)]
            assert starts == found
            # Unmarked, a page begins where its marker stood.
            assert plain_starts == [
                (int(m.group(1)), len(MARKER.sub("", text[: m.start()]).encode())) for m in MARKER.finditer(text)
            ]
            if marked is not None:
                assert text == marked, path
            marked = text
        return marked

    return run


def pages_of(marked: str) -> list[tuple[int, list[str]]]:
    """(page, its blocks) for each marked page."""
    parts = MARKER.split(marked)
    assert parts[0] == ""
    return [(int(parts[k]), parts[k + 1].strip().split("\n\n")) for k in range(1, len(parts), 2)]


def test_lines_going_up_and_breaks_start_pages(paged):
    marked = paged(
        [
            Paragraph(SectionDefinition(), "첫째", lines=[0]),
            Paragraph("둘째", lines=[1600]),
            Paragraph("쪽을 넘는 문단", lines=[3200, 0]),  # stays on the page of its first line
            Paragraph("다음 쪽", lines=[1600]),
            Paragraph(lines=[0]),  # opens page 3 but shows nothing
            Paragraph("셋째 쪽", lines=[1600]),
            Paragraph("나눔", lines=[3200], page_break=True),
            Paragraph("같은 높이의 나눔", lines=[3200], page_break=True),  # only the flag tells
            Paragraph("단 나눔", lines=[4800], column_break=True),  # one column: a new page
        ]
    )
    assert pages_of(marked) == [
        (1, ["첫째", "둘째", "쪽을 넘는 문단"]),
        (2, ["다음 쪽"]),
        (3, ["셋째 쪽"]),
        (4, ["나눔"]),
        (5, ["같은 높이의 나눔"]),
        (6, ["단 나눔"]),
    ]


def test_columns_are_not_pages(paged):
    marked = paged(
        [
            Paragraph(SectionDefinition(columns=2), "왼쪽 단", lines=[0, 30000, 60000]),
            Paragraph("오른쪽 단", lines=[0, 30000]),  # up: the second column
            Paragraph("단 나눔", lines=[32000], column_break=True),  # no column left: a new page
            Paragraph("아래", lines=[60000]),
            Paragraph("둘째 단", lines=[0], column_break=True),
            # A region of one column below the two, on the same page while it fits
            # (both columns end at 61000).
            Paragraph(ColumnDefinition(1), "한 단", lines=[0]),
            Paragraph("넘침", lines=[4000]),
            Paragraph(ColumnDefinition(2), "새 다단", lines=[0]),  # 61000 + 5000 + 1000 > the body
        ]
    )
    assert pages_of(marked) == [
        (1, ["왼쪽 단", "오른쪽 단"]),
        (2, ["단 나눔", "아래", "둘째 단", "한 단", "넘침"]),
        (3, ["새 다단"]),
    ]


def test_page_high_objects_turned_pages_and_lines_below_the_body(paged):
    # At the same top as a table that fills the page: the next page; upright,
    # the turned page's table would leave room for the line after it.
    turned_body = 59528 - 5668 - 3 * 4252
    marked = paged(
        [
            Paragraph(SectionDefinition(), Table([["쪽만 한 표"]], height=BODY - 500), lines=[0]),
            Paragraph("표 뒤", lines=[0]),
            Paragraph("맨 아래", lines=[BODY + 300]),  # hung below the body ...
            Paragraph("다음 쪽 둘째 줄", lines=[2240]),  # ... it opens the page this one is on
        ],
        [
            Paragraph(
                SectionDefinition(landscape=True), Table([["가로 쪽만 한 표"]], height=turned_body - 500), lines=[0]
            ),
            Paragraph("가로 표 뒤", lines=[0]),
        ],
    )
    assert pages_of(marked) == [
        (1, ["쪽만 한 표"]),
        (2, ["표 뒤"]),
        (3, ["맨 아래", "다음 쪽 둘째 줄"]),
        (4, ["가로 쪽만 한 표"]),
        (5, ["가로 표 뒤"]),
    ]


def test_sections_start_pages(paged):
    marked = paged(
        [Paragraph(SectionDefinition(), "첫 구역", lines=[0]), Paragraph("끝", lines=[20000])],
        [Paragraph(SectionDefinition(), "둘째 구역", lines=[30000])],  # lower, yet a new page
    )
    assert pages_of(marked) == [(1, ["첫 구역", "끝"]), (2, ["둘째 구역"])]


def test_no_pages_without_the_whole_layout(paged, make_hwpx):
    # A paragraph that shows text without lines: no page of the document is known.
    for missing in (Paragraph("줄 없는 문단", lines=[]), Paragraph(SectionDefinition(), "새 구역", lines=[])):
        marked = paged(
            [Paragraph(SectionDefinition(), "첫째", lines=[0]), Paragraph("둘째", lines=[0], page_break=True)],
            [missing],
        )
        assert MARKER.search(marked) is None
    # An empty one takes the page before it.
    marked = paged(
        [
            Paragraph(SectionDefinition(), "첫째", lines=[0]),
            Paragraph(lines=[]),
            Paragraph("둘째", lines=[0], page_break=True),
        ]
    )
    assert pages_of(marked) == [(1, ["첫째"]), (2, ["둘째"])]
    # The writer's HWPX documents store no layout unless told to.
    assert page_starts(make_hwpx([["본문", "둘째"]]), markers=True)[1] == []
