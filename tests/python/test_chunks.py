"""Document.chunks: pieces cut at headings, then between blocks, a table between its
rows and a paragraph at its sentence ends only when it alone is too long; the pieces
give the Markdown back. Over Markdown written here (with the outline and pages a
parse would give) and over every document of ../shared/corpus."""

from __future__ import annotations

import re

import pytest

import brindle
from brindle import Chunk, Document, Heading
from conftest import CORPUS_DIR

MARKER = re.compile(r"(?:<!-- page \d+ -->\n\n)*")
KOREAN_END = re.compile(r"[가-힣]다\.\s")


def document(markdown: str, headings: list[tuple[int, str, str]] = (), pages: list[tuple[int, str]] = ()) -> Document:
    """A Document of `markdown` whose outline is `headings` (level, text, the line it
    starts) and whose pages start at the given lines, as a parse gives them."""
    outline = [Heading(level, text, markdown.index(line)) for level, text, line in headings]
    starts = [(page, markdown.index(line)) for page, line in pages]
    return Document(markdown, outline=outline, page_starts=starts)


def own(chunk: Chunk) -> str:
    return chunk.text[len(chunk.repeated):]


def checked(doc: Document, max_chars: int) -> list[Chunk]:
    """doc.chunks(max_chars), after checking what holds of every document's pieces."""
    chunks = doc.chunks(max_chars)
    markdown = doc.markdown
    assert "".join(c.separator + own(c) for c in chunks) == markdown
    assert chunks == doc.chunks(max_chars)  # the same every time
    assert [c.index for c in chunks] == list(range(len(chunks)))
    heading_starts = {h.start: h for h in doc.outline}
    for i, chunk in enumerate(chunks):
        before = chunks[i - 1] if i else None
        after = chunks[i + 1].separator if i + 1 < len(chunks) else ""
        assert markdown[chunk.start:chunk.start + len(own(chunk))] == own(chunk)
        content = chunk.start + MARKER.match(own(chunk)).end()
        if chunk.repeated:
            assert chunk.separator == "\n" and chunk.text.startswith("|") and chunk.repeated.count("\n") == 2
        # Over the size only when one unit: a block (with its indented continuation),
        # a table row below its header, or one sentence.
        if len(chunk.text) > max_chars:
            body = markdown[content:chunk.start + len(own(chunk))]
            assert "\n\n" not in body.replace("\n\n    ", ""), chunk
            whole = chunk.separator in ("", "\n\n") and after in ("", "\n\n")
            if body.startswith("|") and (chunk.repeated or after == "\n"):
                assert body.count("\n") == (0 if chunk.repeated else 2), chunk
            elif not whole:
                assert not KOREAN_END.search(body[:-1]), chunk
        # A piece goes on into the next unless the next starts with a heading or
        # would not fit whole.
        if before is not None and content not in heading_starts:
            assert len(before.text) + len(chunk.separator) + len(own(chunk)) > max_chars, (before, chunk)
        # The headings it falls under: those before its content, each level closing
        # the deeper ones.
        path: list[Heading] = []
        for heading in doc.outline:
            if heading.start <= content:
                path = [h for h in path if h.level < heading.level] + [heading]
        assert chunk.headings == tuple(h.text for h in path)
    # Every heading starts a piece.
    starts = {c.start + MARKER.match(own(c)).end() for c in chunks}
    assert set(heading_starts) <= starts
    if doc.page_starts:
        pages = [c.pages for c in chunks]
        assert all(p is not None and p[0] <= p[1] for p in pages)
        assert all(a[1] <= b[0] for a, b in zip(pages, pages[1:]))  # type: ignore[index]
        for chunk in chunks:
            for number in re.findall(r"<!-- page (\d+) -->", own(chunk)):
                assert chunk.pages[0] <= int(number) <= chunk.pages[1]  # type: ignore[index]
    else:
        assert all(c.pages is None for c in chunks)
    return chunks


def texts(chunks: list[Chunk]) -> list[str]:
    return [c.text for c in chunks]


class TestCuts:
    MARKDOWN = "서문\n\n# 1\\. 개요\n\n본문 하나\n\n## 가. 목적\n\n본문 둘\n\n# 2\\. 범위\n\n본문 셋\n\n# 개요에 없는 줄"
    HEADINGS = [(1, "1. 개요", "# 1\\."), (2, "가. 목적", "## 가."), (1, "2. 범위", "# 2\\.")]

    def test_each_heading_of_the_outline_starts_a_piece_and_names_its_path(self):
        chunks = checked(document(self.MARKDOWN, self.HEADINGS), 2000)
        assert texts(chunks) == ["서문", "# 1\\. 개요\n\n본문 하나", "## 가. 목적\n\n본문 둘",
                                 "# 2\\. 범위\n\n본문 셋\n\n# 개요에 없는 줄"]
        assert [c.headings for c in chunks] == [(), ("1. 개요",), ("1. 개요", "가. 목적"), ("2. 범위",)]
        assert [c.separator for c in chunks] == ["", "\n\n", "\n\n", "\n\n"]
        # Without an outline (the exact profile) nothing is cut at a "#" line.
        assert texts(checked(Document(self.MARKDOWN), 2000)) == [self.MARKDOWN]

    def test_blocks_fill_a_piece_and_one_that_does_not_fit_starts_the_next(self):
        blocks = ["가" * 30, "나" * 30, "다" * 30, "라" * 100, "마"]
        chunks = checked(Document("\n\n".join(blocks)), 64)
        # 30 + 2 + 30 fit; a paragraph without a sentence end stays whole however long.
        assert texts(chunks) == [blocks[0] + "\n\n" + blocks[1], blocks[2], blocks[3], blocks[4]]
        assert texts(checked(Document("\n\n".join(blocks)), 1)) == blocks
        assert Document("").chunks() == []

    def test_a_long_table_is_cut_between_rows_each_piece_repeating_its_header(self):
        header = "|번호|이름|\n|---|---|\n"
        rows = [f"|{n}|{'값' * 8}|" for n in range(1, 8)]  # 12 characters each
        markdown = "앞\n\n" + header + "\n".join(rows) + "\n\n뒤"
        chunks = checked(Document(markdown), 60)
        assert texts(chunks) == [
            "앞\n\n" + header + "\n".join(rows[0:3]),
            header + "\n".join(rows[3:6]),
            header + rows[6] + "\n\n뒤",
        ]
        assert [c.repeated for c in chunks] == ["", header, header]
        assert [c.separator for c in chunks] == ["", "\n", "\n"]
        assert all(len(c.text) <= 60 for c in chunks)
        # A table that fits alone moves whole to a new piece; a row longer than a
        # piece is one piece with the header.
        small = header + "\n".join(rows[:2])
        assert texts(checked(Document("가" * 40 + "\n\n" + small), 60)) == ["가" * 40, small]
        wide = "|1|" + "긴" * 100 + "|"
        assert texts(checked(Document(header + wide + "\n" + rows[1]), 60)) == [header + wide, header + rows[1]]

    def test_a_long_paragraph_is_cut_at_its_sentence_ends(self):
        sentences = ["첫 문장입니다.", "둘째는 짧다.", "셋째?", "넷째!",
                     "다섯째 3.5 퍼센트와 1. 항목 가. 항목을 지나 끝난다.”", "여섯째"]
        paragraph = "첫 문장입니다. 둘째는 짧다.셋째? 넷째! 다섯째 3.5 퍼센트와 1. 항목 가. 항목을 지나 끝난다.” 여섯째"
        chunks = checked(Document(paragraph), 10)
        # "다." needs no space after it; a number, "1." and "가." end no sentence; a
        # sentence longer than the piece stays whole; short ones share a piece.
        assert texts(chunks) == [sentences[0], "둘째는 짧다.셋째?", *sentences[3:]]
        assert [c.separator for c in chunks] == ["", " ", " ", " ", " "]
        # A line break inside the paragraph, a list item and a note are cut alike.
        assert [c.separator for c in checked(Document("가나다라 마바사였다.\n아자차카 타파하"), 12)] == ["", "\n"]
        assert texts(checked(Document("1. 하나였다. 둘이었다."), 10)) == ["1. 하나였다.", "둘이었다."]
        assert texts(checked(Document("[^1]: 주석이다. 설명이다."), 12)) == ["[^1]: 주석이다.", "설명이다."]
        # A paragraph that fits is never cut, however full the piece before it.
        assert texts(checked(Document("가" * 8 + "\n\n짧다. 짧다."), 12)) == ["가" * 8, "짧다. 짧다."]

    def test_what_is_no_prose_stays_whole(self):
        for block in ["> 머리말: 긴 문장이다. 또 긴 문장이다.", "$$\nx. y. z\n$$", "# 제목이다. 그렇다."]:
            assert texts(checked(Document("앞\n\n" + block), 5)) == ["앞", block]
        # A note's indented second paragraph stays with it.
        note = "[^1]: 노트\n\n    계속"
        assert texts(checked(Document("앞\n\n" + note), len("앞\n\n[^1]: 노트"))) == ["앞", note]

    def test_arguments(self):
        doc = Document("본문")
        with pytest.raises(ValueError, match="at least 1"):
            doc.chunks(0)
        for wrong in ("100", 10.0, True):
            with pytest.raises(TypeError, match="max_chars"):
                doc.chunks(wrong)  # type: ignore[arg-type]
        chunk = doc.chunks()[0]
        with pytest.raises(AttributeError):
            chunk.text = "x"  # type: ignore[misc]


class TestPages:
    MARKDOWN = ("<!-- page 1 -->\n\n# 제목\n\n첫 쪽 본문\n\n<!-- page 2 -->\n\n둘째 쪽 본문\n\n"
                "<!-- page 3 -->\n\n# 다음 장\n\n셋째 쪽")
    HEADINGS = [(1, "제목", "# 제목"), (1, "다음 장", "# 다음 장")]

    # Whether a page starts at its marker or at the block after it, the pieces are the same.
    @pytest.mark.parametrize("at", ["marker", "block"])
    def test_a_marker_goes_with_the_block_after_it_and_pieces_span_their_pages(self, at):
        lines = ["<!-- page 1 -->", "<!-- page 2 -->", "<!-- page 3 -->"]
        if at == "block":
            lines = ["# 제목", "둘째 쪽 본문", "# 다음 장"]
        doc = document(self.MARKDOWN, self.HEADINGS, list(zip((1, 2, 3), lines)))
        assert doc.page_count == 3
        whole = checked(doc, 2000)
        assert texts(whole) == [self.MARKDOWN[:self.MARKDOWN.index("\n\n<!-- page 3")],
                                self.MARKDOWN[self.MARKDOWN.index("<!-- page 3"):]]
        assert [(c.pages, c.headings) for c in whole] == [((1, 2), ("제목",)), ((3, 3), ("다음 장",))]
        small = checked(doc, 40)
        assert texts(small) == ["<!-- page 1 -->\n\n# 제목\n\n첫 쪽 본문", "<!-- page 2 -->\n\n둘째 쪽 본문",
                                "<!-- page 3 -->\n\n# 다음 장\n\n셋째 쪽"]
        assert [c.pages for c in small] == [(1, 1), (2, 2), (3, 3)]
        assert [c.headings for c in small] == [("제목",), ("제목",), ("다음 장",)]

    def test_a_page_no_block_starts_on_and_a_document_without_layout(self):
        doc = Document("표의 시작\n\n셋째 쪽", page_starts=[(1, 0), (3, len("표의 시작\n\n"))])
        assert doc.page_count == 3 and [c.pages for c in checked(doc, 2000)] == [(1, 3)]
        plain = Document("본문")
        assert plain.page_count is None and plain.chunks()[0].pages is None


def corpus_documents() -> list:
    return sorted(p for p in CORPUS_DIR.rglob("*") if p.suffix in (".hwp", ".hwpx") and p.is_file())


DOCUMENTS = corpus_documents() if CORPUS_DIR.is_dir() else []


@pytest.mark.skipif(not DOCUMENTS, reason="the corpus is not beside the repository")
def test_every_corpus_document_rejoins_and_keeps_its_pieces_within_the_size():
    parsed = with_headings = cut = 0
    for path in DOCUMENTS:
        try:
            doc = brindle.parse(path, image_prefix=None)
        except brindle.DocumentError:
            continue
        parsed += 1
        with_headings += bool(doc.outline)
        for max_chars in (300, 2000):
            chunks = checked(doc, max_chars)
            cut += sum(bool(c.repeated) or c.separator not in ("", "\n\n") for c in chunks)
        checked(brindle.parse(path, profile="exact"), 2000)
    # Thousands of documents; some with headings; tables and paragraphs cut inside.
    assert parsed > 1000 and with_headings > 10 and cut > 100, (parsed, with_headings, cut)
