"""The test a freshly built wheel must pass where it was built (cibuildwheel's
test-command, on Windows, macOS and Linux alike): the bundled sample, written
by the fixture writer as HWP 5.0, HWPX and HWPML, converts to the same
Markdown from all three by both profiles, parses with its properties, and
opens by a Korean file name; with the corpus beside the project (or at
BRINDLE_CORPUS), every corpus document gives the outcome
tests/data/corpus_digests.tsv records for the compatibility module.

    python scripts/wheel_check.py PROJECT
"""

from __future__ import annotations

import os
import subprocess
import sys
import tempfile
from pathlib import Path


def main(project: Path) -> int:
    import brindle

    with tempfile.TemporaryDirectory() as folder:
        documents = []
        for suffix in (".hwp", ".hwpx", ".hml"):
            path = Path(folder) / f"견본 문서{suffix}"  # a Korean name, as users' files have
            subprocess.run(
                [sys.executable, str(project / "tests" / "fixtures" / "hwp_fixture.py"), "sample", str(path)],
                check=True,
            )
            documents.append(path)
        for profile in ("exact", "full"):
            outputs = {path.suffix: brindle.convert(path, profile=profile) for path in documents}
            if len(set(outputs.values())) != 1 or not outputs[".hwp"].strip():
                print(f"wheel_check: the formats differ by the {profile} profile: {outputs}", file=sys.stderr)
                return 1
        parsed = brindle.parse(documents[0])
        if parsed.format != "hwp" or not parsed.markdown:
            print(f"wheel_check: parse gave {parsed.format!r}", file=sys.stderr)
            return 1
        try:
            brindle.convert(Path(folder) / "없는 문서.hwp")
        except FileNotFoundError:
            pass
        else:
            print("wheel_check: a missing file raised no FileNotFoundError", file=sys.stderr)
            return 1
    print(f"wheel_check: brindle {brindle.__version__}: the sample converts alike from HWP, HWPX and HWPML")

    corpus = Path(os.environ.get("BRINDLE_CORPUS", project.parent / "shared" / "corpus"))
    if not corpus.is_dir():
        print(f"wheel_check: no corpus at {corpus}; its digests are not checked")
        return 0
    try:
        import _brindle  # noqa: F401
    except ImportError:
        print("wheel_check: the abi3 wheel has no compatibility module; the corpus digests are its")
        return 0
    outcomes = Path(tempfile.mkdtemp()) / "outcomes.tsv"
    script = str(project / "scripts" / "corpus_outcomes.py")
    with outcomes.open("w", encoding="utf-8") as out:
        subprocess.run([sys.executable, script, "run", str(corpus)], check=True, stdout=out)
    table = str(project / "tests" / "data" / "corpus_digests.tsv")
    if subprocess.run([sys.executable, script, "check", table, str(outcomes)]).returncode:
        return 1
    print(f"wheel_check: every corpus document as {Path(table).name} records it")
    return 0


if __name__ == "__main__":
    if len(sys.argv) != 2:
        sys.exit(__doc__)
    sys.exit(main(Path(sys.argv[1]).resolve()))
