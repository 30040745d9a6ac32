"""The pages the full profile finds in the corpus, where the documents store their
layout. Figures, not a test:

- how many documents get page numbers, by set, and how many pages their text spans
  (the last page a block starts on);
- forced page breaks: each top-level paragraph with a page break (not a section's
  first) must show its text on a later page than the paragraph before it that
  shows text. The breaks and the paragraphs' text are read here, independently of
  the core: HWP records through olefile, HWPX section parts through ElementTree;
  a paragraph is found in the Markdown by its first run of plain characters;
- HWP documents and their HWPX twins: the same pages at the same places (where
  their Markdown is the same), else the same number of blocks on each page;
- multi-column documents: their pages against the count every line going up would
  give (what counting columns as pages would give).

The pages are read through tools/page_starts (build/release) until the package hands
them out.

    .venv/bin/python bench/pages.py [CORPUS] [--tool PATH]
"""

from __future__ import annotations

import argparse
import collections
import json
import re
import struct
import subprocess
import zipfile
import zlib
from pathlib import Path
from xml.etree import ElementTree

import olefile

ROOT = Path(__file__).resolve().parent.parent
MARKER = re.compile(r"<!-- page (\d+) -->\n\n")
# Runs of a paragraph's text as the Markdown shows them: characters escaping never
# touches.
PLAIN = re.compile(r"[0-9A-Za-z\uac00-\ud7a3\u3131-\u318e\u4e00-\u9fff (),:;/'\"?]{1,40}")
MIN_PLAIN = 4
HP = "{http://www.hancom.co.kr/hwpml/2011/paragraph}"

# The fields read here, as the format documents them.
PARA_HEADER, PARA_TEXT, PARA_LINE_SEG, CTRL_HEADER = 66, 67, 69, 71
BREAK_PAGE = 0x04


class Paragraph:
    def __init__(self, page_break: bool, text: str, tops: list[int], columns: int):
        self.page_break, self.text, self.tops, self.columns = page_break, text, tops, columns


def hwp_text(units: bytes) -> str:
    out, pos = [], 0
    while pos + 2 <= len(units):
        (unit,) = struct.unpack_from("<H", units, pos)
        # A control (a tab, an object's anchor) ends the plain start.
        out.append(chr(unit) if unit >= 32 else "\0")
        pos += 16 if 0 < unit < 24 and unit not in (10, 13) else 2
    return "".join(out)


def hwp_sections(path: Path) -> list[list[Paragraph]]:
    """The top-level paragraphs of each section; none for a document that cannot be read here."""
    with olefile.OleFileIO(str(path)) as ole:
        properties = struct.unpack_from("<I", ole.openstream("FileHeader").read(), 36)[0]
        if properties & 0x6:  # password or distribution
            return []
        names = sorted((e for e in ole.listdir() if e[0] == "BodyText"), key=lambda e: int(e[1][7:] or 0))
        sections = []
        for name in names:
            data = ole.openstream(name).read()
            if properties & 1:
                data = zlib.decompressobj(-15).decompress(data)
            paragraphs, pos = [], 0
            while pos + 4 <= len(data):
                header = struct.unpack_from("<I", data, pos)[0]
                tag, level, size = header & 0x3FF, header >> 10 & 0x3FF, header >> 20
                pos += 4
                if size == 0xFFF:
                    size = struct.unpack_from("<I", data, pos)[0]
                    pos += 4
                payload = data[pos : pos + size]
                pos += size
                if tag == PARA_HEADER and level == 0:
                    paragraphs.append(Paragraph(len(payload) > 11 and bool(payload[11] & BREAK_PAGE), "", [], 0))
                elif paragraphs and level == 1:
                    p = paragraphs[-1]
                    if tag == PARA_TEXT:
                        p.text = hwp_text(payload)
                    elif tag == PARA_LINE_SEG:
                        p.tops = [struct.unpack_from("<i", payload, k + 4)[0] for k in range(0, len(payload) - 35, 36)]
                    elif tag == CTRL_HEADER and payload[:4] == b"dloc" and len(payload) >= 6:
                        p.columns = struct.unpack_from("<H", payload, 4)[0] >> 2 & 0xFF
            sections.append(paragraphs)
        return sections


def hwpx_sections(path: Path) -> list[list[Paragraph]]:
    with zipfile.ZipFile(path) as package:
        names = sorted(
            (n for n in package.namelist() if re.fullmatch(r"Contents/section\d+\.xml", n)),
            key=lambda n: int(re.search(r"\d+", n).group()),
        )
        sections = []
        for name in names:
            root = ElementTree.fromstring(package.read(name))
            paragraphs = []
            for p in root.findall(f"{HP}p"):
                # Controls and marks inside the text (tabs, breaks) as "\0", as in hwp_text.
                text = "".join(
                    (c.text or "") + ("\0" if len(c) else "") if c.tag == f"{HP}t" else "\0"
                    for run in p.findall(f"{HP}run")
                    for c in run
                )
                tops = [int(s.get("vertpos", 0)) for s in p.iterfind(f"{HP}linesegarray/{HP}lineseg")]
                columns = max((int(c.get("colCount", 1)) for c in p.iterfind(f"{HP}run/{HP}ctrl/{HP}colPr")), default=0)
                paragraphs.append(Paragraph(p.get("pageBreak") == "1", text, tops, columns))
            sections.append(paragraphs)
        return sections


def read_sections(path: Path) -> list[list[Paragraph]]:
    try:
        return hwp_sections(path) if path.suffix == ".hwp" else hwpx_sections(path)
    except Exception:  # damaged or not what its name says: nothing to check
        return []


def page_at(markers: list[tuple[int, int]], offset: int) -> int:
    """The page of the text at `offset`: that of the last marker before it, 0 before any."""
    page = 0
    for at, number in markers:
        if at > offset:
            break
        page = number
    return page


def find_paragraph(marked: str, text: str, cursor: int) -> int:
    """Where the paragraph of `text` shows in the Markdown after `cursor`: the one place
    where the longest plain run before its first control stands as far into a block as
    into the paragraph (give or take a heading's or number's marks); -1 if there is no
    such run, or no such place, or more than one."""
    first = text.lstrip("\0 \t").split("\0")[0]
    runs = [(m.start(), m.group().strip()) for m in PLAIN.finditer(first)]
    into, run = max(runs, key=lambda r: len(r[1]), default=(0, ""))
    if len(run) < MIN_PLAIN:
        return -1
    places = []
    for m in re.finditer(re.escape(run), marked[cursor:]):
        at = cursor + m.start()
        block = max(marked.rfind("\n\n", 0, at) + 2, 0)
        if at - block <= into + 12:
            places.append(at)
    return places[0] if len(places) == 1 else -1


def check_breaks(sections: list[list[Paragraph]], marked: str) -> collections.Counter:
    """Each forced break: 'honoured' (its text on a later page than the text before it),
    'missed', or 'unchecked' (its text not found, or not found in one place)."""
    out: collections.Counter = collections.Counter()
    markers = [(m.start(), int(m.group(1))) for m in MARKER.finditer(marked)]
    cursor, previous = 0, None
    for paragraphs in sections:
        for index, p in enumerate(paragraphs):
            forced = p.page_break and index > 0
            at = find_paragraph(marked, p.text, cursor)
            if at < 0:
                out["unchecked"] += forced
                continue
            if forced:
                before = page_at(markers, previous) if previous is not None else 1
                out["honoured" if page_at(markers, at) > before else "missed"] += 1
            cursor, previous = at + 1, at
    return out


def blocks_by_page(marked: str) -> list[tuple[int, int]]:
    parts = MARKER.split(marked)
    return [(int(parts[k]), len(parts[k + 1].strip().split("\n\n"))) for k in range(1, len(parts), 2)]


def bucket(count: int) -> str:
    for top, name in ((1, "1"), (2, "2"), (5, "3-5"), (10, "6-10"), (30, "11-30")):
        if count <= top:
            return name
    return ">30"


def main() -> None:
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("corpus", nargs="?", type=Path, default=ROOT.parent / "shared" / "corpus")
    parser.add_argument("--tool", type=Path, default=ROOT / "build" / "release" / "tools" / "page_starts")
    args = parser.parse_args()
    corpus = args.corpus.resolve()
    sets = {
        "HWP": sorted([*corpus.glob("samples/*.hwp"), *corpus.glob("public/*.hwp"), *corpus.glob("diverse/hwp/*.hwp")]),
        "HWPX twins": sorted(corpus.glob("hwpx/twins/*/*.hwpx")),
        "HWPX native": sorted([*corpus.glob("hwpx/real/*.hwpx"), *corpus.glob("diverse/hwpx/*.hwpx")]),
    }
    results = {}
    for paths in sets.values():
        done = subprocess.run(
            [str(args.tool), "--markers", "--markdown", *map(str, paths)], capture_output=True, text=True, check=True
        )
        results.update((Path(r["path"]), r) for r in map(json.loads, done.stdout.split("\n")[:-1]))

    print("documents with page numbers, and the pages their text spans")
    for name, paths in sets.items():
        converted = [results[p] for p in paths if "error" not in results[p]]
        counts = [r["pages"][-1][0] for r in converted if r["pages"]]
        spread = collections.Counter(map(bucket, counts))
        print(
            f"  {name}: {len(counts)} of {len(converted)} converted ({len(paths)} files);",
            " ".join(f"{b}: {spread[b]}" for b in ("1", "2", "3-5", "6-10", "11-30", ">30")),
            f"max {max(counts, default=0)}, total {sum(counts)}",
        )

    print("forced page breaks (a section's first paragraph aside)")
    for name, paths in sets.items():
        tally: collections.Counter = collections.Counter()
        missed = []
        for path in paths:
            result = results[path]
            sections = read_sections(path)
            breaks = sum(p.page_break for s in sections for p in s[1:])
            if "error" in result or not breaks:
                continue
            if not result["pages"]:
                tally["in documents without pages"] += breaks
                continue
            found = check_breaks(sections, result["markdown"])
            tally.update(found)
            if found["missed"]:
                missed.append(path.relative_to(corpus))
        print(f"  {name}: " + ", ".join(f"{k} {v}" for k, v in sorted(tally.items())), *missed, sep="\n    ")

    print("HWP documents and their HWPX twins")
    same = similar = differ = 0
    for twin in sets["HWPX twins"]:
        original = corpus / twin.parent.name / twin.with_suffix(".hwp").name
        a, b = results.get(original), results.get(twin)
        if a is None or b is None or "error" in a or "error" in b:
            continue
        if a["markdown"] == b["markdown"]:
            same += a["pages"] == b["pages"]
            differ += a["pages"] != b["pages"]
        elif blocks_by_page(a["markdown"]) == blocks_by_page(b["markdown"]):
            similar += 1
        else:
            differ += 1
            print(f"    differ: {original.relative_to(corpus)}")
    print(
        f"  {same} pairs with the same text and pages, {similar} whose text differs with the same blocks on each"
        f" page, {differ} that differ"
    )

    print("multi-column documents: pages, and what counting each line going up as a page would give")
    for paths in sets.values():
        for path in paths:
            result = results[path]
            sections = read_sections(path)
            if "error" in result or max((p.columns for s in sections for p in s), default=0) < 2:
                continue
            tops = [[t for p in s for t in p.tops] for s in sections]
            naive = sum(1 + sum(b < a for a, b in zip(t, t[1:])) for t in tops if t)
            ours = result["pages"][-1][0] if result["pages"] else "none"
            print(f"  {path.relative_to(corpus)}: {ours} (every line going up: {naive})")


if __name__ == "__main__":
    main()
