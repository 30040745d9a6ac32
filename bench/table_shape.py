"""How readable the full profile's tables are, over the corpus (or the given files):
the share of empty cells among all the cells written (and its median over the
documents that have tables), how many documents hold a table of 20 or more columns,
how many tables are written, and the Markdown's size, with the exact profile's
beside it. Figures, not a test: read by a renderer (markdown-it-py with GFM tables),
so a cell is what a reader would see as one. The corpus is its HWP samples and
public documents, and with --hwpx its real HWPX documents as well; --diverse takes
the documents of many kinds instead (diverse/hwp and diverse/hwpx), where grids laid
out for the page rather than for data are common, and also counts the documents
whose tables are more than half empty cells (the full profile's tables should be
read as tables, and a grid mostly of padding is not).

    .venv/bin/python bench/table_shape.py [--hwpx | --diverse] [FILE...]
"""

from __future__ import annotations

import pathlib
import statistics
import sys

from markdown_it import MarkdownIt

import brindle

ROOT = pathlib.Path(__file__).resolve().parent.parent
RENDERER = MarkdownIt("commonmark").enable("table")
WIDE = 20


def tables(markdown: str) -> list[tuple[int, int, int]]:
    """(columns, cells, empty cells) of each table the renderer finds."""
    found: list[tuple[int, int, int]] = []
    columns = cells = empty = 0
    in_cell = False
    first_row = True
    for token in RENDERER.parse(markdown):
        if token.type == "table_open":
            columns = cells = empty = 0
            first_row = True
        elif token.type in ("th_open", "td_open"):
            in_cell = True
            cells += 1
            if first_row:
                columns += 1
        elif token.type == "inline" and in_cell:
            if not token.content.strip():
                empty += 1
            in_cell = False
        elif token.type in ("th_close", "td_close"):
            if in_cell:  # no inline token: an empty cell
                empty += 1
            in_cell = False
        elif token.type == "tr_close":
            first_row = False
        elif token.type == "table_close":
            found.append((columns, cells, empty))
    return found


def corpus_files(hwpx: bool = False, diverse: bool = False) -> list[str]:
    corpus = ROOT.parent / "shared" / "corpus"
    if diverse:
        files = [*corpus.glob("diverse/hwp/*.hwp"), *corpus.glob("diverse/hwpx/*.hwpx")]
    else:
        files = [*corpus.glob("*/*.hwp"), *(corpus.glob("hwpx/real/*.hwpx") if hwpx else [])]
    return sorted(map(str, files))


def main(argv: list[str]) -> int:
    options = {"--hwpx", "--diverse"}
    files = [a for a in argv[1:] if a not in options] or corpus_files("--hwpx" in argv, "--diverse" in argv)
    if not files:
        print("table_shape: no documents")
        return 1
    totals = {"full": [0, 0, 0, 0, 0], "exact": [0, 0, 0, 0, 0]}  # bytes, tables, cells, empty, wide docs
    shares: dict[str, list[float]] = {"full": [], "exact": []}  # per document with tables
    documents = 0
    for path in files:
        try:
            outputs = {p: brindle.convert(path, profile=p) for p in totals}
        except (brindle.DocumentError, MemoryError):
            continue
        documents += 1
        for profile, markdown in outputs.items():
            found = tables(markdown)
            t = totals[profile]
            t[0] += len(markdown.encode())
            t[1] += len(found)
            t[2] += sum(c for _, c, _ in found)
            t[3] += sum(e for _, _, e in found)
            t[4] += any(w >= WIDE for w, _, _ in found)
            cells = sum(c for _, c, _ in found)
            if cells:
                shares[profile].append(sum(e for _, _, e in found) / cells)
    print(f"tables over {documents} documents:")
    for profile, (size, count, cells, empty, wide) in totals.items():
        share = 100 * empty / cells if cells else 0.0
        median = 100 * statistics.median(shares[profile]) if shares[profile] else 0.0
        sparse = sum(s > 0.5 for s in shares[profile])
        print(
            f"  {profile:5}: {size / 1e6:6.2f} MB of Markdown, {count} tables, {cells} cells, "
            f"{share:4.1f} % empty (median {median:.0f} % per document), "
            f"{wide} documents with a table of {WIDE}+ columns, "
            f"{sparse} of the {len(shares[profile])} documents with tables more than half empty"
        )
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
