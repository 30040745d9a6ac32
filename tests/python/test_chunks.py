"""Document.chunks over Markdown written for each rule (with the outline and pages a
parse gives) and over every document of ../shared/corpus: the pieces rejoin to the
Markdown, keep within the size unless one block, row or sentence, go on into the next
only when that would not fit, and start at every heading with its path."""

from __future__ import annotations

import re

import pytest

import brindle
from brindle import Document, Heading
from conftest import CORPUS_DIR

MARKERS = re.compile(r"(?:<!-- page \d+ -->\n\n)*")
KOREAN_END = re.compile(r"[가-힣]다\.\s")


def document(markdown: str, headings=(), pages=()) -> Document:
    """`headings` as (level, text, its line), `pages` as (number, the line it starts at)."""
    return Document(
        markdown,
        outline=[Heading(level, text, markdown.index(line)) for level, text, line in headings],
        page_starts=[(page, markdown.index(line)) for page, line in pages],
    )


def texts(doc: Document, max_chars: int) -> list[str]:
    """The texts of doc.chunks(max_chars), after checking what holds of any document's pieces."""
    chunks, markdown = doc.chunks(max_chars), doc.markdown
    own = [c.text[len(c.repeated) :] for c in chunks]
    assert "".join(c.separator + o for c, o in zip(chunks, own)) == markdown
    assert chunks == doc.chunks(max_chars) and [c.index for c in chunks] == list(range(len(chunks)))
    heading_starts = {h.start for h in doc.outline}
    contents = [c.start + MARKERS.match(o).end() for c, o in zip(chunks, own)]
    # Every heading starts a piece, or follows only the headings a piece starts with.
    leads = []
    for chunk, text, content in zip(chunks, own, contents):
        inside = [h.start for h in doc.outline if content <= h.start < chunk.start + len(text)]
        assert not inside or inside[0] == content
        for h in inside[1:]:
            assert all(line.startswith(("#", "<!-- page")) or not line for line in markdown[content:h].split("\n")), (
                chunk
            )
        leads.append(inside[-1] if inside else content)
    assert heading_starts <= {
        h for c, t, content in zip(chunks, own, contents) for h in heading_starts if content <= h < c.start + len(t)
    }
    for i, (chunk, text, content) in enumerate(zip(chunks, own, contents)):
        assert markdown[chunk.start : chunk.start + len(text)] == text
        after = chunks[i + 1].separator if i + 1 < len(chunks) else ""
        if len(chunk.text) > max_chars:  # one block, one row below its header, or one sentence
            body = markdown[content : chunk.start + len(text)]
            assert "\n\n" not in body.replace("\n\n    ", ""), chunk
            if body.startswith("|") and (chunk.repeated or after == "\n"):
                assert body.count("\n") == (0 if chunk.repeated else 2), chunk
            elif chunk.separator not in ("", "\n\n") or after not in ("", "\n\n"):
                assert not KOREAN_END.search(body[:-1]), chunk
        # Cut only where the next would not fit (at a heading, after a piece of headings).
        if i and (
            content not in heading_starts
            or (
                contents[i - 1] in heading_starts
                and all(line.startswith(("#", "<!-- page")) or not line for line in own[i - 1].split("\n"))
            )
        ):
            assert len(chunks[i - 1].text) + len(chunk.separator) + len(text) > max_chars
        path: list[Heading] = []
        for heading in doc.outline:
            if heading.start <= leads[i]:
                path = [h for h in path if h.level < heading.level] + [heading]
        assert chunk.headings == tuple(h.text for h in path)
        if doc.page_starts:
            first, last = chunk.pages
            assert first <= last and (i == 0 or chunks[i - 1].pages[1] <= first)
            assert all(first <= int(n) <= last for n in re.findall(r"<!-- page (\d+) -->", text))
        else:
            assert chunk.pages is None
    return [c.text for c in chunks]


def test_headings_cut_first_then_blocks_fill_pieces():
    markdown = (
        "서문\n\n# 1\\. 개요\n\n본문 하나\n\n## 가. 목적\n\n본문 둘\n\n# 2\\. 범위\n\n본문 셋\n\n# 개요에 없는 줄"
    )
    doc = document(markdown, [(1, "1. 개요", "# 1\\."), (2, "가. 목적", "## 가."), (1, "2. 범위", "# 2\\.")])
    assert texts(doc, 2000) == [
        "서문",
        "# 1\\. 개요\n\n본문 하나",
        "## 가. 목적\n\n본문 둘",
        "# 2\\. 범위\n\n본문 셋\n\n# 개요에 없는 줄",
    ]
    assert [c.headings for c in doc.chunks()] == [(), ("1. 개요",), ("1. 개요", "가. 목적"), ("2. 범위",)]
    assert texts(Document(markdown), 2000) == [markdown]  # no outline (the exact profile): no cut at "#"
    # A title and the chapter under it open one piece, under the chapter's path, when they fit.
    titled = "# 제목\n\n## 1\\. 장\n\n본문\n\n## 2\\. 장\n\n끝"
    doc = document(titled, [(1, "제목", "# 제목"), (2, "1. 장", "## 1\\."), (2, "2. 장", "## 2\\.")])
    assert texts(doc, 2000) == ["# 제목\n\n## 1\\. 장\n\n본문", "## 2\\. 장\n\n끝"]
    assert [c.headings for c in doc.chunks()] == [("제목", "1. 장"), ("제목", "2. 장")]
    assert texts(doc, 12) == ["# 제목", "## 1\\. 장\n\n본문", "## 2\\. 장\n\n끝"]  # they do not fit
    # 30 + 2 + 30 fit in 64; a paragraph without a sentence end stays whole however long.
    blocks = ["가" * 30, "나" * 30, "다" * 30, "라" * 100, "마"]
    assert texts(Document("\n\n".join(blocks)), 64) == [blocks[0] + "\n\n" + blocks[1], *blocks[2:]]
    assert texts(Document("\n\n".join(blocks)), 1) == blocks and Document("").chunks() == []
    with pytest.raises(ValueError, match="at least 1"):
        Document("본문").chunks(0)
    with pytest.raises(TypeError, match="max_chars"):
        Document("본문").chunks(True)


def test_a_long_table_is_cut_between_rows_each_piece_repeating_its_header():
    header = "|번호|이름|\n|---|---|\n"
    rows = [f"|{n}|{'값' * 8}|" for n in range(1, 8)]  # 12 characters each: three rows to a piece of 60
    doc = Document("앞\n\n" + header + "\n".join(rows) + "\n\n뒤")
    assert texts(doc, 60) == [
        "앞\n\n" + header + "\n".join(rows[0:3]),
        header + "\n".join(rows[3:6]),
        header + rows[6] + "\n\n뒤",
    ]
    assert [(c.repeated, c.separator) for c in doc.chunks(60)] == [("", ""), (header, "\n"), (header, "\n")]
    # A table that fits alone moves whole; a row longer than a piece is a piece with the header.
    small, wide = header + "\n".join(rows[:2]), "|1|" + "긴" * 100 + "|"
    assert texts(Document("가" * 40 + "\n\n" + small), 60) == ["가" * 40, small]
    assert texts(Document(header + wide + "\n" + rows[1]), 60) == [header + wide, header + rows[1]]


def test_a_long_paragraph_is_cut_at_its_sentence_ends_and_other_blocks_stay_whole():
    paragraph = "첫 문장입니다. 둘째는 짧다.셋째? 넷째! 다섯째 3.5 퍼센트와 1. 항목 가. 항목을 지나 끝난다.” 여섯째"
    # "다." needs no space after it; a number, "1." and "가." end no sentence; short sentences share a piece.
    assert texts(Document(paragraph), 10) == [
        "첫 문장입니다.",
        "둘째는 짧다.셋째?",
        "넷째!",
        "다섯째 3.5 퍼센트와 1. 항목 가. 항목을 지나 끝난다.”",
        "여섯째",
    ]
    assert [c.separator for c in Document(paragraph).chunks(10)] == ["", " ", " ", " ", " "]
    assert [c.separator for c in Document("가나다라 마바사였다.\n아자차카 타파하").chunks(12)] == ["", "\n"]
    assert texts(Document("1. 하나였다. 둘이었다."), 10) == ["1. 하나였다.", "둘이었다."]
    assert texts(Document("[^1]: 주석이다. 설명이다."), 12) == ["[^1]: 주석이다.", "설명이다."]
    assert texts(Document("가" * 8 + "\n\n짧다. 짧다."), 12) == ["가" * 8, "짧다. 짧다."]  # it fits: not cut
    for block in [
        "> 머리말: 긴 문장이다. 또 긴 문장이다.",
        "$$\nx. y. z\n$$",
        "# 제목이다. 그렇다.",
        "[^1]: 노트\n\n    계속",
    ]:  # the last: a note's indented paragraph stays with it
        assert texts(Document("앞\n\n" + block), 5) == ["앞", block]


@pytest.mark.parametrize("at", ["marker", "block"])  # where a page's start is given: the same pieces
def test_a_page_marker_goes_with_the_block_after_it_and_pieces_span_their_pages(at):
    markdown = (
        "<!-- page 1 -->\n\n# 제목\n\n첫 쪽 본문\n\n<!-- page 2 -->\n\n둘째 쪽 본문\n\n"
        "<!-- page 3 -->\n\n# 다음 장\n\n셋째 쪽"
    )
    starts = ["<!-- page 1", "<!-- page 2", "<!-- page 3"] if at == "marker" else ["# 제목", "둘째", "# 다음"]
    doc = document(markdown, [(1, "제목", "# 제목"), (1, "다음 장", "# 다음 장")], zip((1, 2, 3), starts))
    cut = markdown.index("<!-- page 3")
    assert texts(doc, 2000) == [markdown[: cut - 2], markdown[cut:]] and doc.page_count == 3
    assert [c.pages for c in doc.chunks()] == [(1, 2), (3, 3)]
    assert texts(doc, 40) == [
        "<!-- page 1 -->\n\n# 제목\n\n첫 쪽 본문",
        "<!-- page 2 -->\n\n둘째 쪽 본문",
        markdown[cut:],
    ]
    assert [(c.pages, c.headings) for c in doc.chunks(40)] == [
        ((1, 1), ("제목",)),
        ((2, 2), ("제목",)),
        ((3, 3), ("다음 장",)),
    ]
    # A page on which no block starts (a table going on) is spanned all the same.
    spanning = Document("표의 시작\n\n셋째 쪽", page_starts=[(1, 0), (3, 7)])
    assert spanning.page_count == 3 and [c.pages for c in spanning.chunks()] == [(1, 3)]


DOCUMENTS = sorted(p for p in CORPUS_DIR.rglob("*") if p.suffix in (".hwp", ".hwpx")) if CORPUS_DIR.is_dir() else []


@pytest.mark.skipif(not DOCUMENTS, reason="the corpus is not beside the repository")
def test_every_corpus_document_rejoins_and_keeps_its_pieces_within_the_size():
    parsed = with_headings = cut = 0
    for path in DOCUMENTS:
        try:
            doc = brindle.parse(path, image_prefix=None)
        except brindle.DocumentError:
            continue
        parsed, with_headings = parsed + 1, with_headings + bool(doc.outline)
        for max_chars in (300, 2000):
            texts(doc, max_chars)
            cut += sum(bool(c.repeated) or c.separator not in ("", "\n\n") for c in doc.chunks(max_chars))
        texts(brindle.parse(path, profile="exact"), 2000)
    assert parsed > 1000 and with_headings > 10 and cut > 100, (parsed, with_headings, cut)
