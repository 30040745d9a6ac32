"""The blocks of brindle's Markdown and what each is. brindle writes a blank line only
between blocks (table rows, quoted lines and the lines of an equation are never apart),
so the text between two blank lines is one block, and the blocks joined with blank
lines are the Markdown again."""

from __future__ import annotations

import re
from collections.abc import Iterator

__all__ = ["BLOCK_SEPARATOR", "blocks", "category", "heading", "table_header"]

BLOCK_SEPARATOR = "\n\n"

_HEADING = re.compile(r"(#{1,6})(?:[ \t]+(.*))?")
_LIST_ITEM = re.compile(r"(?:[-*+]|\d{1,9}[.)])(?:[ \t]|$)")
_FOOTNOTE = re.compile(r"\[\^[^\]\s]+\]:")
# A picture linked to its file, or the placeholder it stays without one; a bracket in
# a caption is escaped, so the first unescaped one ends it.
_IMAGE = re.compile(r"!\[(?:\\.|[^\\\]])*\]\((?:<[^>\n]*>|[^)\s]*)\)|\[이미지(?:: (?:\\.|[^\\\]\n])*)?\]")
_PAGE_MARKER = re.compile(r"<!-- page \d+ -->")
_DELIMITER_ROW = re.compile(r"\|(?:[ \t]*:?-+:?[ \t]*\|)+")


def blocks(markdown: str) -> Iterator[tuple[int, str]]:
    """Each block of the Markdown with its index in it, in order."""
    if not markdown:
        return
    start = 0
    for block in markdown.split(BLOCK_SEPARATOR):
        yield start, block
        start += len(block) + len(BLOCK_SEPARATOR)


def heading(block: str) -> tuple[int, str] | None:
    """An ATX heading's level and text, as a Markdown reader takes them from its line."""
    match = _HEADING.fullmatch(block.partition("\n")[0])
    if match is None:
        return None
    return len(match[1]), (match[2] or "").strip()


def category(block: str) -> str:
    """What a block of brindle's Markdown is, from its first characters: "heading",
    "table", "list" (one item), "quote" (page headers and footers), "equation" (a
    display equation), "image" (a picture on its own), "footnote" (a note's text),
    "page" (the marker written before a page's first block), "separator" (the comment
    that keeps two lists apart) or "paragraph"."""
    if heading(block) is not None:
        return "heading"
    if block.startswith("|"):
        return "table"
    if block.startswith(">"):
        return "quote"
    if block.startswith("$$"):
        return "equation"
    if block == "<!-- -->":
        return "separator"
    if _PAGE_MARKER.fullmatch(block):
        return "page"
    if _LIST_ITEM.match(block):
        return "list"
    if _FOOTNOTE.match(block):
        return "footnote"
    if _IMAGE.fullmatch(block):
        return "image"
    return "paragraph"


def table_header(block: str) -> str | None:
    """A pipe table's header row and delimiter row, each with its line feed, when the
    block is a table with at least one row below them; else None."""
    lines = block.split("\n", 2)
    if len(lines) < 3 or not lines[0].startswith("|") or not _DELIMITER_ROW.fullmatch(lines[1]):
        return None
    return lines[0] + "\n" + lines[1] + "\n"
