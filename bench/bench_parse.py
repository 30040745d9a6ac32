"""The parse half of the benchmark: over the corpus (HWP 5.0 and the HWPX twins),
brindle.parse with its pictures handed out, and with them left as placeholders,
against brindle.convert of the same documents, side by side; the equation converter
on scripts of growing length (time per byte should stay flat); and the command line
with --images and --front-matter against a plain run over the same folder.

    python bench/bench_parse.py [ROUNDS]      (also run by bench.py)
"""

from __future__ import annotations

import contextlib
import os
import pathlib
import shutil
import sys
import tempfile
import time

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT.parent / "shared" / "corpus"
sys.path.insert(0, str(ROOT / "tests" / "fixtures"))


def best(rounds: int, run) -> float:
    times = []
    for _ in range(rounds):
        start = time.perf_counter()
        run()
        times.append(time.perf_counter() - start)
    return min(times)


def documents() -> list[pathlib.Path]:
    found = sorted(CORPUS.glob("samples/*.hwp")) + sorted(CORPUS.glob("public/*.hwp"))
    return found + sorted(CORPUS.glob("hwpx/twins/*/*.hwpx"))


def main(rounds: int = 5) -> None:
    import brindle
    from brindle.cli import main as cli
    from hwpfixture import Equation, Paragraph, owpml

    paths = [p for p in documents()]
    if not paths:
        print("parse: no corpus")
        return
    data = [p.read_bytes() for p in paths]

    def each(call):
        def run():
            for d in data:
                try:
                    call(d)
                except brindle.DocumentError:
                    pass

        return run

    convert = best(rounds, each(lambda d: brindle.convert(d)))
    parsed = best(rounds, each(lambda d: brindle.parse(d)))
    placeholders = best(rounds, each(lambda d: brindle.parse(d, image_prefix=None)))
    pictures = sum(len(brindle.parse(d).images) for d in data if _ok(brindle, d))
    print(f"parse over {len(paths)} documents (HWP 5.0 and HWPX twins; {pictures} pictures), best of {rounds}")
    print(f"  convert                         {convert:.3f} s  ({len(paths) / convert:.0f} documents/s)")
    print(f"  parse, pictures as files        {parsed:.3f} s  ({parsed / convert:.2f}x convert)")
    print(f"  parse, pictures as placeholders {placeholders:.3f} s  ({placeholders / convert:.2f}x convert)")

    print("equation converter (one HWPX document holding one script, stored):")
    for size in (1 << 16, 1 << 18, 1 << 20):
        script = ("{x^2 over sqrt {y + alpha}} + " * (size // 30))[:size]
        package = owpml.zip_bytes(owpml.package_parts([[Paragraph(Equation(script))]]), compress=False)
        seconds = best(rounds, lambda: brindle.convert(package))
        print(f"  {size >> 10:5d} KiB script: {seconds * 1e3:7.1f} ms ({seconds * 1e9 / size:.0f} ns/byte)")

    folder = CORPUS / "samples"
    with tempfile.TemporaryDirectory() as out:

        def run(*options: str):
            shutil.rmtree(out, ignore_errors=True)
            with open(os.devnull, "w") as quiet, contextlib.redirect_stderr(quiet):  # the failures' lines
                cli(["convert", "-q", *options, str(folder), "-o", out])

        def plain():
            run()

        def archive():
            run("--images", "--front-matter")

        a, b = best(rounds, plain), best(rounds, archive)
        written = sum(1 for p in pathlib.Path(out).rglob("*") if p.is_file())
        print(
            f"command line over {folder.name}/: plain {a:.3f} s, --images --front-matter {b:.3f} s "
            f"({b / a:.2f}x; {written} files written)"
        )


def _ok(brindle, data: bytes) -> bool:
    try:
        brindle.parse(data)
        return True
    except brindle.DocumentError:
        return False


if __name__ == "__main__":
    main(int(sys.argv[1]) if len(sys.argv) > 1 else 5)
