"""Checks a build of the core for another system against this machine's, by
the digests tools/corpus_digests prints for every corpus document (both
profiles' Markdown, and the compatibility module's Markdown and record
listing). scripts/cross.sh runs it:

    cross_check.py list CORPUS COPIES [--windows] > LIST
        every document of CORPUS, and copies of some of them made in COPIES
        under Korean names, at a path longer than 260 characters and by a
        path relative to COPIES (the runner runs there); --windows writes
        the paths as Wine's Z: drive names them
    cross_check.py compare REFERENCE OTHER
        every document's digests equal in both, and each copy's equal to
        its original's
    cross_check.py table DIGESTS
        the compatibility module's digests against tests/data/corpus_digests.tsv
"""

from __future__ import annotations

import shutil
import sys
from pathlib import Path, PurePosixPath

from corpus_outcomes import compare as compare_rows  # beside this script
from corpus_outcomes import read

ROOT = Path(__file__).resolve().parents[1]
# corpus_digests.py says how the table writes an outcome; it sits in the tests.
sys.path.insert(0, str(ROOT / "tests" / "python"))

SUFFIXES = (".hwp", ".hwpx", ".hml")
EVERY = 25  # one document in so many is copied under other names
DEEP_FOLDER = "가나다라마바사아자차카타파하 문서 보관함"


def native(path: Path | str, windows: bool) -> str:
    """The path as the runner opens it: unchanged, or Wine's Z: name."""
    text = str(path)
    if windows:
        text = text.replace("/", "\\")
        return "Z:" + text if text.startswith("\\") else text
    return text


def documents(corpus: Path) -> list[Path]:
    return sorted(p for p in corpus.rglob("*") if p.is_file() and p.suffix.lower() in SUFFIXES)


def list_documents(corpus: Path, copies: Path, windows: bool) -> None:
    deep = copies / "긴 경로"
    while len(str(deep)) < 300:
        deep /= DEEP_FOLDER
    for index, path in enumerate(documents(corpus)):
        name = path.relative_to(corpus).as_posix()
        print(f"{name}\t{native(path, windows)}")
        if index % EVERY:
            continue
        korean = copies / "한글 문서" / f"공고문 {index}{path.suffix}"
        long_path = deep / f"보고서 {index}{path.suffix}"
        for copy in (korean, long_path):
            copy.parent.mkdir(parents=True, exist_ok=True)
            shutil.copyfile(path, copy)
        print(f"{name}@korean\t{native(korean, windows)}")
        print(f"{name}@long\t{native(long_path, windows)}")
        print(f"{name}@relative\t{native(PurePosixPath(korean.relative_to(copies).as_posix()), windows)}")


def compare(reference: str, other: str) -> int:
    failed = compare_rows(reference, other)
    got = read(other)
    faults = [
        f"{name}: {row} where the original gives {got.get(name.partition('@')[0])}"
        for name, row in got.items()
        if "@" in name and row != got.get(name.partition("@")[0])
    ]
    for fault in faults[:20]:
        print(f"{other}: {fault}", file=sys.stderr)
    copies = sum("@" in name for name in got)
    print(
        f"{other}: {len(got) - copies} documents and {copies} copies, each as this machine gives it: {'no' if failed or faults else 'yes'}"
    )
    return 1 if failed or faults else 0


def as_table_outcome(outcome: str) -> str:
    """The runner's outcome written as the table writes the module's."""
    from corpus_digests import KINDS

    if outcome.startswith("error "):
        message = outcome[len("error ") :]
        kind = next((k for prefix, k in KINDS.items() if message.startswith(prefix)), "Unknown")
        return f"error {kind} {message}"
    if outcome.startswith("limit "):
        return f"error Memory {outcome[len('limit ') :]}"
    if outcome == "memory":
        return "error Memory "
    return outcome


def table(digests: str) -> int:
    from corpus_digests import TABLE, read_table, same_outcome

    got = read(digests)
    faults = []
    for name, (markdown, records) in read_table().items():
        row = got.get(name)
        if row is None:
            faults.append(f"{name}: missing")
            continue
        have = (as_table_outcome(row[2]), as_table_outcome(row[3]))
        if not (same_outcome(markdown, have[0]) and same_outcome(records, have[1])):
            faults.append(f"{name}: {have[0]} / {have[1]}")
    for fault in faults[:20]:
        print(f"{digests}: {fault}", file=sys.stderr)
    print(f"{digests}: {len(read_table()) - len(faults)} of {len(read_table())} as {TABLE.name} records them")
    return 1 if faults else 0


def main(argv: list[str]) -> int:
    if len(argv) in (3, 4) and argv[0] == "list" and argv[3:] in ([], ["--windows"]):
        list_documents(Path(argv[1]).resolve(), Path(argv[2]).resolve(), windows=len(argv) == 4)
        return 0
    if len(argv) == 3 and argv[0] == "compare":
        return compare(argv[1], argv[2])
    if len(argv) == 2 and argv[0] == "table":
        return table(argv[1])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
