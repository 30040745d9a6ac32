"""Cutting a document's Markdown into pieces for retrieval (`Document.chunks`): at its
headings first, then between blocks, and inside a block only when it alone is longer
than a piece may be: a table between its rows, a paragraph at its sentence ends."""

from __future__ import annotations

import bisect
import re
from collections.abc import Sequence
from dataclasses import dataclass
from typing import NamedTuple, Protocol

from ._blocks import BLOCK_SEPARATOR, blocks, category, table_header

__all__ = ["Chunk", "check_size", "chunk_markdown"]


@dataclass(frozen=True)
class Chunk:
    """A piece of a document's Markdown, ready for retrieval (`Document.chunks`).

    `text` is Markdown; `headings` the texts of the headings it falls under, outermost
    first (its own heading last when it starts with one; a piece that starts with
    headings one after another, a title and its first chapter, falls under the last); `index` its place among the
    document's pieces, from 0; `pages` the first and last page it spans, or None when
    the document stores no layout. `start` is where its own text starts in
    `Document.markdown`. `separator` is what stands between it and the piece before
    it in the Markdown: "" for the first, a blank line (``"\\n\\n"``) between blocks,
    ``"\\n"`` between table rows, and inside a paragraph the white space after the
    sentence end it was cut at (``" "``, ``"\\n"``, or "" after a "다." with no
    space). `repeated` is the start of `text` that an earlier piece already holds: a
    table cut between its rows repeats its header row and delimiter row (each with
    its line feed) in each piece after the first; "" otherwise. So the pieces give
    the Markdown back::

        "".join(c.separator + c.text[len(c.repeated):] for c in chunks) == document.markdown
    """

    text: str
    headings: tuple[str, ...]
    index: int
    pages: tuple[int, int] | None
    start: int
    separator: str
    repeated: str = ""


class HeadingLike(Protocol):
    """What the cutting reads of a heading (`Heading`, whose module imports this one)."""

    @property
    def level(self) -> int: ...
    @property
    def text(self) -> str: ...
    @property
    def start(self) -> int: ...


# A sentence end inside a paragraph: the Korean "다." after another syllable (not the
# "다." of a 가나다 list marker, "다..." or "다.5"), or ".", "?", "!" after a word of two
# characters or more (not "1." or "가.") before white space. Closing quotes and
# brackets stay with their sentence.
_CLOSING = "\"'”’)\\]」』"
_SENTENCE_END = re.compile(rf"(?<=[가-힣])다\.(?![.\d])[{_CLOSING}]*|(?<=\S[^\s\d])[.?!][{_CLOSING}]*(?=\s)")
_SPACE = re.compile(r"[ \t\n]*")
# How a note's later paragraph starts: indented, after a blank line.
_CONTINUATION = "    "
# The blocks whose sentences may be cut apart, when one alone is too long.
_PROSE = frozenset({"paragraph", "list", "footnote"})


class _Unit(NamedTuple):
    """What the packing never cuts: a block, a table row, or a sentence."""

    separator: str  # what stands before it in the Markdown
    text: str
    start: int  # where `text` starts in the Markdown
    content: int  # where its own content starts, past the page markers joined to its front
    block: int  # the index of its block
    opens: bool  # the first unit of a heading's block: a piece starts with it
    header: str  # a table row's: the header and delimiter rows a piece it opens repeats


def _sentences(block: str) -> list[tuple[str, int, int]]:
    """(separator, start, end) of each sentence of a paragraph, in order."""
    pieces = []
    separator, start = "", 0
    for match in _SENTENCE_END.finditer(block):
        after = _SPACE.match(block, match.end())
        assert after is not None
        if after.end() >= len(block):
            break
        pieces.append((separator, start, match.end()))
        separator, start = after.group(), after.end()
    pieces.append((separator, start, len(block)))
    return pieces


def _pieces(block: str, max_chars: int, heading: bool) -> list[tuple[str, int, str, str]]:
    """(separator, offset in the block, text, header) of the units of one block: the
    block itself unless it alone is longer than `max_chars`, else its rows (a table's
    first unit holds its header and delimiter rows and its first row) or sentences."""
    if len(block) <= max_chars or heading:
        return [("", 0, block, "")]
    kind = category(block)
    if kind == "table":
        header = table_header(block)
        if header is None:
            return [("", 0, block, "")]
        rows = block[len(header) :].split("\n")
        pieces = [("", 0, header + rows[0], "")]
        offset = len(header) + len(rows[0])
        for row in rows[1:]:
            pieces.append(("\n", offset + 1, row, header))
            offset += 1 + len(row)
        return pieces
    if kind in _PROSE:
        return [(separator, start, block[start:end], "") for separator, start, end in _sentences(block)]
    return [("", 0, block, "")]


def _whole_blocks(markdown: str) -> list[tuple[int, str]]:
    """The blocks, each with the indented paragraphs that continue it (the second
    paragraph of a note) joined to it."""
    whole: list[tuple[int, str]] = []
    for start, block in blocks(markdown):
        if whole and block.startswith(_CONTINUATION):
            whole[-1] = (whole[-1][0], whole[-1][1] + BLOCK_SEPARATOR + block)
        else:
            whole.append((start, block))
    return whole


def _units(whole: list[tuple[int, str]], heading_blocks: set[int], max_chars: int) -> list[_Unit]:
    """The Markdown's units in order. A page marker is joined to the front of the unit
    after it, so that a page's number always goes with the page's first block."""
    units: list[_Unit] = []
    markers: list[tuple[int, str]] = []  # waiting for the block they stand before
    index = -1
    for index, (start, block) in enumerate(whole):
        heading = index in heading_blocks
        if category(block) == "page" and not heading:
            markers.append((start, block))
            continue
        for k, (separator, offset, text, header) in enumerate(_pieces(block, max_chars, heading)):
            unit_start = content = start + offset
            if k == 0:
                if markers:
                    text = BLOCK_SEPARATOR.join(marker for _, marker in markers) + BLOCK_SEPARATOR + text
                    unit_start = markers[0][0]
                    markers = []
                separator = BLOCK_SEPARATOR if unit_start else ""
            units.append(_Unit(separator, text, unit_start, content, index, k == 0 and heading, header))
    if markers:  # the Markdown ends with markers: a unit of their own
        start = markers[0][0]
        units.append(
            _Unit(
                BLOCK_SEPARATOR if start else "",
                BLOCK_SEPARATOR.join(m for _, m in markers),
                start,
                start,
                index,
                False,
                "",
            )
        )
    return units


def check_size(value: object, name: str) -> int:
    """`value` as a piece's size in characters: a whole number, at least 1."""
    if isinstance(value, bool) or not isinstance(value, int):
        raise TypeError(f"{name} must be an int, not {type(value).__name__}")
    if value < 1:
        raise ValueError(f"{name} must be at least 1, not {value}")
    return value


def chunk_markdown(
    markdown: str, outline: Sequence[HeadingLike], page_starts: Sequence[tuple[int, int]], max_chars: int
) -> list[Chunk]:
    """The pieces of `markdown` (see `Document.chunks`)."""
    whole = _whole_blocks(markdown)
    if not whole:
        return []
    # Each heading opens the block its line is in.
    block_starts = [start for start, _ in whole]
    headings = sorted(outline, key=lambda h: h.start)
    heading_block = [max(bisect.bisect_right(block_starts, h.start) - 1, 0) for h in headings]
    units = _units(whole, set(heading_block), max_chars)

    # Greedy: a unit joins the piece before it when the piece stays within max_chars
    # and the unit opens no heading's block, or the piece holds only headings so far
    # (a title and the chapter under it are one piece, not a piece of a title alone).
    groups: list[list[_Unit]] = []
    length = 0
    only_headings = False
    for unit in units:
        if groups and (not unit.opens or only_headings):
            grown = length + len(unit.separator) + len(unit.text)
            if grown <= max_chars:
                groups[-1].append(unit)
                length = grown
                only_headings = only_headings and unit.opens
                continue
        groups.append([unit])
        length = len(unit.header) + len(unit.text)
        only_headings = unit.opens

    pages_in_order = sorted(page_starts, key=lambda page: page[1])
    page_offsets = [offset for _, offset in pages_in_order]
    page_numbers = [number for number, _ in pages_in_order]

    def page_at(index: int) -> int:
        return page_numbers[max(bisect.bisect_right(page_offsets, index) - 1, 0)]

    chunks = []
    path: list[HeadingLike] = []
    next_heading = 0
    for number, group in enumerate(groups):
        first, last = group[0], group[-1]
        # The piece falls under the last of the headings it opens with.
        lead = max((unit.block for unit in group if unit.opens), default=first.block)
        while next_heading < len(headings) and heading_block[next_heading] <= lead:
            heading = headings[next_heading]
            while path and path[-1].level >= heading.level:
                path.pop()
            path.append(heading)
            next_heading += 1
        text = first.header + first.text + "".join(unit.separator + unit.text for unit in group[1:])
        pages = None
        if page_starts:
            pages = (page_at(first.content), page_at(max(last.start + len(last.text) - 1, first.content)))
        chunks.append(
            Chunk(text, tuple(h.text for h in path), number, pages, first.start, first.separator, first.header)
        )
    return chunks
