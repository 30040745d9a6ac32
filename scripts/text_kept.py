"""Whether a change to how the full profile lays text out kept every character: the
text a reader sees in each document's Markdown (rendered as tests/python/markdown_check
renders it, so that pipes, escapes, <br> and the other syntax are gone), white space
left out, must be the same sequence before and after. Run `write` with the build
before the change and with the one after it, then `compare`:

    text_kept.py write CORPUS OUT     # the full profile's Markdown of every document
    text_kept.py compare BEFORE AFTER [ADDED]
                                      # exit status 1, and the first difference of
                                      # each document, when any text moved or is gone

ADDED names the characters a change means to add (the marks of shaded cells, "■"):
they are left out of both texts, and how many more the second holds is counted.
"""

from __future__ import annotations

import sys
from pathlib import Path

# markdown_check.py renders Markdown as the tests read it; it sits in the tests.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))

SUFFIXES = (".hwp", ".hwpx")
CONTEXT = 30


def write(corpus: Path, out: Path) -> int:
    import brindle

    count = 0
    for path in sorted(corpus.rglob("*")):
        if not path.is_file() or path.suffix.lower() not in SUFFIXES:
            continue
        try:
            markdown = brindle.convert(str(path), profile="full")
        except Exception as error:  # a document the converter refuses is compared by its error
            markdown = f"error {type(error).__name__}: {error}"
        target = out / (path.relative_to(corpus).as_posix() + ".md")
        target.parent.mkdir(parents=True, exist_ok=True)
        target.write_text(markdown, encoding="utf-8")
        count += 1
    print(f"{count} documents written to {out}")
    return 0


def seen(markdown: str) -> str:
    """The characters a reader sees, without white space. A bulleted paragraph is
    written "- text" in a table cell and as a list item elsewhere: its bullet is
    read as "-" in both."""
    from markdown_check import read

    return "".join("".join(read(markdown).text).replace(" • ", "-").split())


def first_difference(a: str, b: str) -> int:
    n = min(len(a), len(b))
    return next((i for i in range(n) if a[i] != b[i]), n)


def compare(before: Path, after: Path, added: str = "") -> int:
    faults = checked = changed = gained = 0
    without_added = str.maketrans("", "", added)
    for old in sorted(before.rglob("*.md")):
        name = old.relative_to(before)
        new = after / name
        if not new.is_file():
            print(f"{name}: missing from {after}")
            faults += 1
            continue
        old_md, new_md = old.read_text(encoding="utf-8"), new.read_text(encoding="utf-8")
        checked += 1
        if old_md == new_md:
            continue
        changed += 1
        a, b = seen(old_md), seen(new_md)
        if added:
            gained += sum(b.count(c) - a.count(c) for c in added)
            a, b = a.translate(without_added), b.translate(without_added)
        if a != b:
            i = first_difference(a, b)
            print(
                f"{name}: differs at character {i} of {len(a)}: "
                f"{a[max(0, i - CONTEXT) : i + CONTEXT]!r} became {b[max(0, i - CONTEXT) : i + CONTEXT]!r}"
            )
            faults += 1
    print(
        f"{checked} documents, {changed} with Markdown changed, {faults} with text lost, added or moved"
        + (f"; {gained} of {added!r} added" if added else "")
    )
    return 1 if faults else 0


def main(argv: list[str]) -> int:
    if len(argv) == 3 and argv[0] == "write":
        return write(Path(argv[1]).resolve(), Path(argv[2]))
    if len(argv) in (3, 4) and argv[0] == "compare":
        return compare(Path(argv[1]), Path(argv[2]), argv[3] if len(argv) == 4 else "")
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
