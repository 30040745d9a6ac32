"""The full profile over the real documents of ../shared/corpus: every document
converts or fails as the exact profile does; rendered by a CommonMark renderer with
GFM tables, its Markdown shows at least the text the exact profile writes (the
document's own characters, none lost to syntax, no stray backslash) and every table
stays one table of the rows and cells written; and the named samples show what the
exact rules drop. Skipped when the corpus is not beside the repository."""

from __future__ import annotations

import re
from collections import Counter

import pytest

import brindle
from conftest import CORPUS_DIR
from markdown_check import read, written_tables
from test_corpus import corpus_files, sample

# In the exact profile's tables: the delimiter rows, and the "|" between cells (a
# document's own "|" is written "\|").
DELIMITER_ROW = re.compile(r"^\|(?:---\|)+$", re.MULTILINE)
OWN_PIPE = "\0"


def document_text(exact: str) -> str:
    """The exact profile's Markdown without its table syntax."""
    text = DELIMITER_ROW.sub("", exact)
    return text.replace("\\|", OWN_PIPE).replace("|", " ").replace(OWN_PIPE, "|")


@pytest.mark.parametrize("path", corpus_files())
def test_full_profile_renders_the_document(path):
    try:
        exact = brindle.convert(path, profile="exact")
    except brindle.DocumentError as error:
        with pytest.raises(type(error)):
            brindle.convert(path)
        return
    if is_distribution_document(path):
        with pytest.raises(brindle.DistributionProtectedError):
            brindle.convert(path)
        return
    full = brindle.convert(path)
    reader = read(full)
    assert reader.tables == written_tables(full)
    shown = Counter("".join("".join(reader.text).split()))
    wanted = Counter("".join(document_text(exact).split()))
    missing = {c: n - shown[c] for c, n in wanted.items() if shown[c] < n}
    assert not missing
    assert shown["\\"] == wanted["\\"]  # no escape of ours shows


def full(name: str) -> str:
    return brindle.convert(sample(name))


def test_samples_show_what_the_exact_rules_drop():
    assert "> 머리말: Header 이것은 머리말입니다." in full("headerfooter.hwp")
    assert "> 꼬리말 (홀수 쪽): Footer 이것은 꼬리말입니다." in full("headerfooter.hwp")
    notes = full("footnote-endnote.hwp")
    assert notes.startswith("각주참조[^1][^2]\n\n미주참조[^e1][^e2]")
    assert notes.endswith(
        "[^1]: 각주입니다.\n\n[^2]: 각주 두 번째입니다.\n\n[^e1]: 미주입니다.\n\n[^e2]: 미주 두 번째입니다."
    )
    lists = full("lists.hwp").split("\n\n")
    assert lists[:4] == ["글머리표", "- 1", "- 2", "- 3"]
    start = lists.index("문단번호")
    assert lists[start + 1 : start + 11] == [
        "1. 1",
        "2. 2",
        "가. 2-1",
        "3. 3",
        "가. 3-1",
        "나. 3-2",
        "1) 3-2-1",
        "2) 3-2-2",
        "3) 3-2-3",
        "4. 4",
    ]
    assert lists[start + 12 : start + 14] == ["5. 5", "가. 5-1"]  # the list goes on after a paragraph
    # The second section names another outline numbering: its headings start over.
    assert lists[-10:] == [
        "# 제1장 1",
        "# 제2장 2",
        "## 제1절 2-1",
        "# 제3장 3",
        "## 제1절 3-1",
        "## 제2절 3-2",
        "### 제1항 3-2-1",
        "### 제2항 3-2-2",
        "### 제3항 3-2-3",
        "# 제4장 4",
    ]
    heads = full("extracting_ParaHead.hwp").split("\n\n")
    assert heads[:2] == ["# i. 1", "# ii. 2"] and "# c. 100" in heads
    assert "▶" not in full("lists-bullet.hwp") and full("lists-bullet.hwp").count("\n- ") > 50
    # The tables there are empty, so only their captions are written.
    captions = full("table-caption.hwp").split("\n\n")
    assert captions[:4] == ["표 1 위 캡션", "표 2 아래 캡션", "표 3 왼쪽", "표 4 오른쪽"]
    # Drawing objects: every member of a group, nested containers too; a text box's
    # caption on its side.
    assert full("shapecontainer-2.hwp") == "[이미지]\n\n목\n\n차"
    assert full("textbox.hwp") == "글상자\n\n그림 1 캡션"
    assert full("multicolumns-in-common-controls.hwp").endswith("\n\n그림 1")
    links = full("issue144-fields-crossing-lineseg-boundary.hwp")
    assert links.startswith("[google google google google google google](http://google.com)")


def test_schedules_whose_months_are_shading_show_them():
    def diverse(name: str) -> str:
        path = CORPUS_DIR / "diverse" / "hwp" / f"{name}.hwp"
        if not path.is_file():
            pytest.skip(f"{path} is absent")
        return brindle.convert(path)

    # Tasks under months, each month a task runs shaded (two greys in the first).
    shown = diverse("0a47ad50c59ed31bb8a522f3e7a7a1e15f5f76a1")
    assert "|과업준비|발주, 제안서 평가, 용역계약|■|■|||||||" in shown
    assert "||모빌리티 지원사업 효과분석 연구 사례조사|||■||||||" in shown
    assert "|1. 협상회의 및 계약체결|■|■|■|||||||" in diverse("b4551dbe411e43ef4a0b7828386324eeebe41b50")
    # Each task's label spans three rows, its months shaded in the middle one.
    assert "|업무 보고(착수, 중간, 최종 등)|■|||■||||■|" in diverse("bf4c885a96603c293547426b79d96b236a5f9961")
    # An evaluation sheet's column of scores to fill in, shaded, gains no mark.
    assert "|■|" not in diverse("33efb8db101473889bbc284f140cba7a82498b7c")


def is_distribution_document(path) -> bool:
    """Whether the FileHeader's properties say the document was saved for
    distribution (bit 2), read here with olefile."""
    import olefile

    with olefile.OleFileIO(str(path)) as container:
        header = container.openstream("FileHeader").read()
        return bool(int.from_bytes(header[36:40], "little") & 0x4) and container.exists("ViewText/Section0")


def test_distribution_protected_documents_are_reported_not_converted():
    for name in ("distribution.hwp", "viewtext.hwp"):
        path = CORPUS_DIR / "samples" / name
        if not path.is_file():
            pytest.skip(f"{path} is absent")
        with pytest.raises(brindle.DistributionProtectedError, match="open it in the word processor"):
            brindle.convert(path)
        # The exact profile, as _brindle, gives the notice the document holds instead.
        assert "배포용 문서" in brindle.convert(path, profile="exact")
