"""The HWPML part of the benchmark: brindle.convert by each profile over the shared
HWPML documents (documents/s and MB/s of XML), and the speed per megabyte of XML
against the HWPX reader's on the same content: the sample document's sections repeated
to about a megabyte, written by the fixture writers as one HWPML file and as an HWPX
package (whose XML is its header and section parts, uncompressed).

    python bench/bench_hwpml.py [ROUNDS]      (also run by bench.py)
"""

from __future__ import annotations

import io
import pathlib
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT.parent / "shared" / "corpus"
sys.path.insert(0, str(ROOT / "tests" / "fixtures"))

import brindle  # noqa: E402
from hwpfixture import owpml  # noqa: E402
from hwpfixture.hwpml import hwpml_bytes  # noqa: E402
from hwpfixture.sample import sample_doc_info, sample_paragraphs  # noqa: E402


def best_of(rounds: int, run) -> float:
    """The fastest of `rounds` runs, in seconds."""
    best = float("inf")
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        best = min(best, time.perf_counter() - start)
    return best


def shared(rounds: int) -> None:
    files = sorted((CORPUS / "hwpml").glob("*.hml"))
    if not files:
        print("HWPML: the shared documents are absent")
        return
    data = [f.read_bytes() for f in files]
    size = sum(map(len, data)) / 1e6
    print(f"HWPML, the {len(files)} shared documents ({size:.2f} MB), fastest of {rounds} rounds:")
    for profile in ("full", "exact"):
        seconds = best_of(rounds, lambda: [brindle.convert(d, profile=profile) for d in data])
        print(f"  {profile:5}  {seconds:.3f} s: {len(files) / seconds:.0f} documents/s, {size / seconds:.1f} MB/s")


def same_content(rounds: int) -> None:
    sections = [sum((list(s) for s in sample_paragraphs()), []) * 150]
    info = sample_doc_info()
    hml = hwpml_bytes(sections, info)
    hwpx = owpml.hwpx_bytes(sections, info)
    with zipfile.ZipFile(io.BytesIO(hwpx)) as package:
        xml = sum(package.getinfo(n).file_size for n in package.namelist() if n.startswith("Contents/"))
    assert brindle.convert(hml) == brindle.convert(hwpx)
    print(
        f"the same content as HWPML ({len(hml) / 1e6:.2f} MB of XML) and HWPX ({xml / 1e6:.2f} MB of XML, "
        f"{len(hwpx) / 1e6:.2f} MB zipped), fastest of {rounds} rounds:"
    )
    for profile in ("full", "exact"):
        a = best_of(rounds, lambda: brindle.convert(hml, profile=profile))
        b = best_of(rounds, lambda: brindle.convert(hwpx, profile=profile))
        print(
            f"  {profile:5}  HWPML {a * 1e3:6.1f} ms, {len(hml) / 1e6 / a:5.1f} MB/s of XML;  "
            f"HWPX {b * 1e3:6.1f} ms, {xml / 1e6 / b:5.1f} MB/s of XML;  HWPML/HWPX per MB {(a / len(hml)) / (b / xml):.2f}"
        )


def main(rounds: int) -> None:
    shared(rounds)
    same_content(rounds)


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 5)
