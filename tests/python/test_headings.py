"""Headings from what the reader sees, over generated documents in both formats (the
same document written as HWP 5.0 and as HWPX gives the same Markdown), and over the
labelled documents of the shared corpus, scored as bench/headings.py scores them with a
floor a little under what the detection reaches."""

from __future__ import annotations

import importlib.util
import re
import sys

import pytest

import brindle
from conftest import CORPUS_DIR, REPO_ROOT
from hwpfixture import Cell, CharShape, DocInfo, Paragraph, ParaShape, Style, Table

# Character shapes: 0 the body's (10 pt), 1 a section's (12 pt bold), 2 a title's
# (20 pt bold). Paragraph shapes: 0 justified, 1 centred.
DOC_INFO = DocInfo(
    char_shapes=[CharShape(1000), CharShape(1200, bold=True), CharShape(2000, bold=True)],
    para_shapes=[ParaShape(), ParaShape(align="center")],
    styles=[Style("바탕글", "Normal"), Style("개요 1", "Outline 1")],
    fonts=["바탕"],
)

BODY = (
    "본 사업은 지역 문화 행사를 기획하고 운영하여 주민의 참여를 넓히는 것을 목적으로 하며, 행사의 기획과 "
    "홍보, 현장 운영과 안전 관리, 결과 보고까지 사업의 전 과정을 수행한다."
)


def title(text: str) -> Paragraph:
    return Paragraph(text, char_shape=2, shape=1)


def section(text: str) -> Paragraph:
    return Paragraph(text, char_shape=1)


def headings(markdown: str) -> list[str]:
    return [line for line in markdown.split("\n") if re.match(r"#{1,6} ", line)]


def test_a_typed_outline_reads_as_its_structure(twins):
    markdown = twins(
        title("2025 지역 축제 운영 용역 제안요청서"),
        section("Ⅰ. 사업 안내"),
        BODY,
        section("1. 사업 개요"),
        BODY,
        section("가. 사업 목적"),
        BODY,
        section("나. 사업 범위"),
        BODY,
        section("2. 추진 일정"),
        BODY,
        section("Ⅱ. 제안 요청 사항"),
        BODY,
        doc_info=DOC_INFO,
    )
    assert headings(markdown) == [
        "# 2025 지역 축제 운영 용역 제안요청서",
        "## Ⅰ. 사업 안내",
        "### 1\\. 사업 개요",
        "#### 가. 사업 목적",
        "#### 나. 사업 범위",
        "### 2\\. 추진 일정",
        "## Ⅱ. 제안 요청 사항",
    ]


def test_negatives_stay_paragraphs(twins):
    # Set apart all the same: a sentence after a marker, a field line, a table of
    # contents, a caption, an attachment's label, a label whose value stands
    # elsewhere; and a cell of a table.
    markdown = twins(
        section("○ 본 사업은 지역 축제 운영을 위한 사업임"),
        BODY,
        section("1. 용 역 명 : 2025년 축제 운영 용역"),
        BODY,
        section("□ 업 체 명 :"),
        BODY,
        section("1. 사업목적 …… 4"),
        section("2. 추진일정 ...... 7"),
        BODY,
        section("표 1 연도별 예산"),
        BODY,
        section("[붙임 1] 제안서 양식"),
        BODY,
        Paragraph(Table([[Cell("Ⅲ. 평가 방법", 0, 0), Cell("세부 내용", 1, 0)], [Cell("1", 0, 1), Cell("2", 1, 1)]])),
        doc_info=DOC_INFO,
    )
    assert headings(markdown) == []


def test_a_kind_of_marker_used_for_fields_and_titles(twins):
    # The same box opens a notice's fields and its titles: the fields are data,
    # and the titles, each heading its text, are headings though set as the body.
    markdown = twins(
        "□ 계 약 명: 2025 지역 축제 운영 용역",
        "□ 계약기간: 2025. 5. 1. ~ 12. 31.",
        "□ 사업예산 : 50,400,000원",
        "□ 추진일정",
        "가. 입찰공고: 5월 초",
        "나. 계약 체결: 5월 16일",
        BODY,
        "□ 보장범위",
        BODY,
        doc_info=DOC_INFO,
    )
    assert headings(markdown) == ["## □ 추진일정", "## □ 보장범위"]


def test_an_attached_part_uses_its_markers_its_own_way(twins):
    # The notice numbers its rules as sentences; the consent form attached to it,
    # under a title of its own, numbers its sections' titles.
    rules = [f"{n}. 입찰자는 제출한 서류의 내용이 사실과 다를 경우 그에 따른 책임을 진다." for n in range(1, 5)]
    sections = ["1. 수집 목적", "2. 수집 항목", "3. 보유 기간", "4. 거부할 권리"]
    markdown = twins(
        *rules, title("개인정보 수집 동의서"), *(p for s in sections for p in (s, BODY)), doc_info=DOC_INFO
    )
    assert headings(markdown) == ["# 개인정보 수집 동의서"] + [
        f"## {s.replace('.', chr(92) + '.', 1)}" for s in sections
    ]
    # The rules alone stay paragraphs.
    assert headings(twins(*rules, *rules, doc_info=DOC_INFO)) == []


def test_lines_that_head_nothing_stay_paragraphs(twins):
    # A notice's closing: the blanks of a date and the official's name, set apart
    # and centred as its title is, with nothing after them; "#" without a space is
    # no Markdown heading either.
    markdown = twins(
        title("입 찰 공 고"),
        section("Ⅰ. 사업 안내"),
        BODY,
        Paragraph("#3 구역은 제외한다", char_shape=1),
        BODY,
        title("년    월    일"),
        BODY,
        section("Ⅱ. 제안 요청 사항"),
        BODY,
        title("예 산 군 재 무 관"),
        doc_info=DOC_INFO,
    )
    assert headings(markdown) == ["# 입 찰 공 고", "## Ⅰ. 사업 안내", "## Ⅱ. 제안 요청 사항"]
    assert markdown.endswith("\n\n예 산 군 재 무 관")
    # The same line with text after it is a heading, as before.
    assert "## 예 산 군 재 무 관" in twins(
        title("입 찰 공 고"), section("Ⅰ. 사업 안내"), BODY, title("예 산 군 재 무 관"), BODY, doc_info=DOC_INFO
    )


def test_banner_tables_and_heading_styles(twins):
    markdown = twins(
        Paragraph(Table([[Cell("Ⅰ", 0, 0), Cell("계약개요", 1, 0)]])),
        BODY,
        Paragraph("연구의 배경", style=1),
        BODY,
        Paragraph(Table([[Cell("Ⅱ", 0, 0), Cell("과업 내용", 1, 0)]])),
        BODY,
        doc_info=DOC_INFO,
    )
    # The style's heading stands under the banner before it, as a kind met later.
    assert headings(markdown) == ["## Ⅰ 계약개요", "### 연구의 배경", "## Ⅱ 과업 내용"]
    assert "|" not in markdown  # the banners are no tables


def test_the_exact_profile_writes_no_headings(make_hwpx):
    path = make_hwpx([[title("운영 계획"), section("Ⅰ. 추진 배경"), BODY, section("Ⅱ. 추진 방향"), BODY]], DOC_INFO)
    assert headings(brindle.convert(path)) == ["# 운영 계획", "## Ⅰ. 추진 배경", "## Ⅱ. 추진 방향"]
    assert headings(brindle.convert(path, profile="exact")) == []


def _bench():
    loader_spec = importlib.util.spec_from_file_location("bench_headings", REPO_ROOT / "bench" / "headings.py")
    module = importlib.util.module_from_spec(loader_spec)
    sys.modules[loader_spec.name] = module  # its dataclasses look their module up
    loader_spec.loader.exec_module(module)
    return module


LABELS = CORPUS_DIR / "diverse" / "headings"


@pytest.mark.skipif(not LABELS.is_dir(), reason="the labelled documents are not here")
def test_the_labelled_documents_score_above_the_floor():
    bench = _bench()
    score = bench.evaluate(LABELS)
    assert score.f1 >= 0.90
    assert score.precision >= 0.90
    assert score.agreement >= 0.93
    # Every labelled document with headings gets at least one, but the poem whose
    # title only its line number sets apart.
    for label_file in sorted(LABELS.glob("*.tsv")):
        if label_file.read_text().strip() and not label_file.name.startswith("45a3c34c"):
            assert bench.headings(brindle.convert(bench.document_of(label_file))), label_file.name
