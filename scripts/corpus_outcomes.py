"""What an installed wheel gives for every document of the corpus, one line each:
the document's path below the corpus, the outcome of both profiles (the digest of
the Markdown, or the error), and, when the wheel has `_brindle`, its outcomes as
tests/data/corpus_digests.tsv records them. scripts/wheel.sh runs it with each
wheel, in one process per wheel (under emulation too), and compares the lines:

    corpus_outcomes.py run CORPUS > outcomes.tsv
    corpus_outcomes.py compare REFERENCE OTHER   # both profiles, line for line
    corpus_outcomes.py check TABLE OUTCOMES      # _brindle's against the table
"""

from __future__ import annotations

import hashlib
import os
import sys
from pathlib import Path

# corpus_digests.py says how an outcome of _brindle is written; it sits in the tests.
sys.path.insert(0, str(Path(__file__).resolve().parents[1] / "tests" / "python"))

SUFFIXES = (".hwp", ".hwpx")
NONE = "-"


def documents(corpus: Path) -> list[str]:
    return sorted(
        path.relative_to(corpus).as_posix()
        for path in corpus.rglob("*")
        if path.is_file() and path.suffix.lower() in SUFFIXES
    )


def profile_outcome(convert, path: str, profile: str) -> str:
    try:
        markdown = convert(path, profile=profile)
    except Exception as error:  # the error is the outcome being compared
        return f"error {type(error).__name__}: {error}"
    return "ok " + hashlib.sha256(markdown.encode()).hexdigest()


def run(corpus: Path) -> None:
    import brindle
    from corpus_digests import outcome

    try:
        import _brindle
    except ImportError:  # the abi3 wheel has no _brindle
        _brindle = None
    os.chdir(corpus)  # relative paths, so that error messages are the same everywhere
    for name in documents(corpus):
        row = [name, profile_outcome(brindle.convert, name, "exact"), profile_outcome(brindle.convert, name, "full")]
        if _brindle is not None and name.endswith(".hwp"):
            row += [outcome(_brindle.hwp_to_markdown, name), outcome(_brindle.hwp_debug_records, name)]
        else:
            row += [NONE, NONE]
        print("\t".join(row))


def read(path: str) -> dict[str, list[str]]:
    rows = (line.split("\t") for line in Path(path).read_text(encoding="utf-8").splitlines())
    return {row[0]: row[1:] for row in rows}


def compare(reference: str, other: str) -> int:
    """Both profiles' outcomes, and _brindle's where both have it, must be equal."""
    expected, got = read(reference), read(other)
    faults = [f"{name}: missing" for name in expected if name not in got]
    faults += [f"{name}: not in {reference}" for name in got if name not in expected]
    for name in sorted(expected.keys() & got.keys()):
        for column, (want, have) in enumerate(zip(expected[name], got[name])):
            if NONE not in (want, have) and want != have:
                faults.append(f"{name} (column {column + 2}): {want} != {have}")
    for fault in faults[:20]:
        print(f"{other}: {fault}", file=sys.stderr)
    return 1 if faults else 0


def check(table: str, outcomes: str) -> int:
    """_brindle's outcomes against the recorded table, for every document it holds."""
    from corpus_digests import same_outcome

    got = read(outcomes)
    faults = []
    for name, (markdown, records) in read(table).items():
        if name.startswith("#"):
            continue
        row = got.get(name)
        if row is None:
            faults.append(f"{name}: missing")
        elif not (same_outcome(markdown, row[2]) and same_outcome(records, row[3])):
            faults.append(f"{name}: _brindle gives {row[2]} / {row[3]}")
    for fault in faults[:20]:
        print(f"{outcomes}: {fault}", file=sys.stderr)
    return 1 if faults else 0


def main(argv: list[str]) -> int:
    if len(argv) == 2 and argv[0] == "run":
        run(Path(argv[1]).resolve())
        return 0
    if len(argv) == 3 and argv[0] in ("compare", "check"):
        return (compare if argv[0] == "compare" else check)(argv[1], argv[2])
    print(__doc__, file=sys.stderr)
    return 2


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
