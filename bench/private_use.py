"""Characters of the Unicode private use areas left in the full profile's Markdown,
over every document of ../shared/corpus (or the files given), by where they come from:
the codes of symbol fonts (U+F020 to U+F0FF), other characters of the BMP's area
(U+E000 to U+F8FF: old Hangul in the Hanyang encoding, writers' own symbols), and the
supplementary areas (planes 15 and 16: the word processor's own symbols). Prints, for
each, how many documents hold any and how many characters in all.

    python bench/private_use.py [FILE...]
"""

from __future__ import annotations

import collections
import pathlib
import sys

import brindle

CORPUS = pathlib.Path(__file__).resolve().parent.parent.parent / "shared" / "corpus"
SOURCES = ("symbol codes U+F020-F0FF", "other BMP private use", "supplementary private use")


def source(c: int) -> int | None:
    if 0xF020 <= c <= 0xF0FF:
        return 0
    if 0xE000 <= c <= 0xF8FF:
        return 1
    if c >= 0xF0000:
        return 2
    return None


def count(files: list[pathlib.Path]) -> tuple[collections.Counter, collections.Counter]:
    documents: collections.Counter = collections.Counter()
    characters: collections.Counter = collections.Counter()
    for path in files:
        try:
            markdown = brindle.convert(path)
        except (brindle.DocumentError, MemoryError):
            continue
        found = collections.Counter(s for s in map(source, map(ord, markdown)) if s is not None)
        for s, n in found.items():
            documents[s] += 1
            characters[s] += n
    return documents, characters


def main(argv: list[str]) -> int:
    files = [pathlib.Path(a) for a in argv] or sorted(
        p for p in CORPUS.rglob("*") if p.suffix.lower() in (".hwp", ".hwpx", ".hml")
    )
    documents, characters = count(files)
    print(f"private use characters in the full profile's Markdown of {len(files)} documents:")
    for k, name in enumerate(SOURCES):
        print(f"  {name:28} {documents[k]:4} documents, {characters[k]:6} characters")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
