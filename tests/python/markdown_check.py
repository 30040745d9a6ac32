"""Reading the full profile's Markdown as a renderer does: markdown-it-py with
CommonMark, GFM tables and strikethrough, and footnotes. The text a reader sees, and
the tables, row by row, that the renderer finds."""

from __future__ import annotations

import re
from html.parser import HTMLParser

from markdown_it import MarkdownIt
from mdit_py_plugins.footnote import footnote_plugin

RENDERER = MarkdownIt("commonmark").enable("table").enable("strikethrough").use(footnote_plugin)


class _Reader(HTMLParser):
    """The text of rendered HTML as a browser shows it (line breaks as spaces, list
    items with their numbers or a bullet), and each table's rows as cell counts."""

    def __init__(self) -> None:
        super().__init__(convert_charrefs=True)
        self.text: list[str] = []
        self.tables: list[list[int]] = []
        self.lists: list[int | None] = []  # the next number of each open list; None: bullets

    def handle_starttag(self, tag: str, attrs: list[tuple[str, str | None]]) -> None:
        if tag == "ol":
            self.lists.append(int(dict(attrs).get("start") or 1))
        elif tag == "ul":
            self.lists.append(None)
        elif tag == "li" and self.lists:
            number = self.lists[-1]
            self.text.append(" • " if number is None else f" {number}. ")
            if number is not None:
                self.lists[-1] = number + 1
        elif tag == "table":
            self.tables.append([])
        elif tag == "tr":
            self.tables[-1].append(0)
        elif tag in ("td", "th"):
            self.tables[-1][-1] += 1
        self.text.append(" ")

    def handle_endtag(self, tag: str) -> None:
        if tag in ("ol", "ul") and self.lists:
            self.lists.pop()
        self.text.append(" ")

    def handle_data(self, data: str) -> None:
        self.text.append(data)


def read(markdown: str) -> _Reader:
    reader = _Reader()
    reader.feed(RENDERER.render(markdown))
    reader.close()
    return reader


def rendered_text(markdown: str) -> str:
    """What a reader of the rendered Markdown sees, white space collapsed."""
    return " ".join("".join(read(markdown).text).split())


# A pipe table as the full profile writes it, alone or inside a quote or a note:
# a header row, a delimiter row of "---" cells, then its rows.
_DELIMITER = re.compile(r"^\|(?:---\|)+$")


def written_tables(markdown: str) -> list[list[int]]:
    """The tables in the Markdown source, each as its rows' cell counts (the
    delimiter row left out), found by their delimiter rows."""
    lines = [re.sub(r"^(?:> ?|    )", "", line) for line in markdown.split("\n")]
    tables = []
    for i, line in enumerate(lines):
        if i == 0 or not _DELIMITER.match(line):
            continue
        width = line.count("|") - 1
        rows = [lines[i - 1]]
        for row in lines[i + 1 :]:
            if not row.startswith("|"):
                break
            rows.append(row)
        tables.append([width] * len(rows))
    return tables
