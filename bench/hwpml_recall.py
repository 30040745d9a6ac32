"""Recall of each shared HWPML document's own text in its Markdown.

A document's own text is the characters inside its CHAR elements, in
order, but for the guide text of a click-here field never filled in
(Dirty="false"), which the Markdown shows as the field's mark. Recall is the
share of them (white space left out) found in the Markdown of the full
profile (its escapes undone): in order, by the longest common subsequence
difflib finds, and then, for what that leaves, moved as a whole (notes go to
the end, a paragraph's text comes before the tables anchored in it). Text
on master pages, the backdrop of every page, is left out as every format's
reader leaves it out. Prints
one line per document and the minimum and median.

    python bench/hwpml_recall.py [folder]
"""

from __future__ import annotations

import difflib
import re
import statistics
import sys
import xml.etree.ElementTree as ET
from pathlib import Path

import brindle

CORPUS = Path(__file__).resolve().parent.parent.parent / "shared" / "corpus" / "hwpml"


def decoded(data: bytes) -> str:
    if data.startswith(b"\xef\xbb\xbf"):
        return data[3:].decode("utf-8")
    head = data[:200].decode("ascii", "replace").lower()
    if "euc-kr" in head or "cp949" in head:
        return data.decode("cp949")
    try:
        return data.decode("utf-8")
    except UnicodeDecodeError:
        return data.decode("cp949")


def own_text(path: Path) -> str:
    text = decoded(path.read_bytes())
    text = re.sub(r"<!DOCTYPE[^\[>]*(\[.*?\])?\s*>", "", text, count=1, flags=re.S)
    text = text.replace("&nbsp;", "\u00a0")
    text = re.sub(r"^<\?xml[^>]*\?>", "", text.lstrip())
    root = ET.fromstring(text)
    out = []
    guide = False
    # Master pages (the backdrop of every page) are read by no front end.
    master = {char for page in root.iter("MASTERPAGE") for char in page.iter("CHAR")}
    for element in root.iter():
        if element.tag == "FIELDBEGIN":
            guide = element.get("Type") == "Clickhere" and element.get("Dirty") == "false"
        elif element.tag == "FIELDEND":
            guide = False
        elif element.tag == "CHAR" and not guide and element not in master:
            out.append("".join(element.itertext()))
    return "".join(out)


def unescaped(markdown: str) -> str:
    """The Markdown's text: tables' pipes and rules, and the LaTeX of
    equations (no CHAR text), taken out, and escapes undone."""
    markdown = re.sub(r"(?m)^\|(?:\s*:?-+:?\s*\|)+\s*$", "", markdown)
    markdown = re.sub(r"(?<!\\)\|", " ", markdown)
    markdown = re.sub(r"(?ms)^\$\$$.*?^\$\$$", " ", markdown)
    markdown = re.sub(r"(?<!\\)\$[^$\n]*\$", " ", markdown)
    return re.sub(r"\\([\\`*_{}\[\]()#+\-.!|<>~$])", r"\1", markdown)


def visible(text: str) -> str:
    return re.sub(r"\s+", "", text)


def recall(expected: str, got: str) -> float:
    expected, got = visible(expected), visible(got)
    if not expected:
        return 1.0
    matcher = difflib.SequenceMatcher(None, expected, got, autojunk=False)
    found = 0
    for tag, i1, i2, _, _ in matcher.get_opcodes():
        run = expected[i1:i2]
        if tag == "equal" or run in got:
            found += len(run)
        elif tag in ("delete", "replace"):
            # Pieces of the run found elsewhere, moved.
            pieces = difflib.SequenceMatcher(None, run, got, autojunk=False).get_matching_blocks()
            found += sum(block.size for block in pieces if block.size >= 4)
    return found / len(expected)


def main() -> int:
    folder = Path(sys.argv[1]) if len(sys.argv) > 1 else CORPUS
    scores = []
    for path in sorted(folder.glob("*.hml")):
        score = recall(own_text(path), unescaped(brindle.convert(path)))
        scores.append(score)
        print(f"{path.name[:12]}  {score:.4f}")
    if not scores:
        print("no HWPML documents found")
        return 1
    print(f"documents {len(scores)}  minimum {min(scores):.4f}  median {statistics.median(scores):.4f}")
    return 0


if __name__ == "__main__":
    raise SystemExit(main())
