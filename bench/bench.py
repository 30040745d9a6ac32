"""Benchmark: converts every document of the shared corpus (or the given
files) in one process and reports documents per second, input MB per
second and peak memory; then runs the native floor benchmark, which sets
the cost of opening the files and inflating their sections with the same
libgsf and zlib calls against the whole conversion.

    scripts/bench.sh [ROUNDS] [FILE...]
"""

from __future__ import annotations

import os
import pathlib
import resource
import subprocess
import sys
import time

import _brindle

ROOT = pathlib.Path(__file__).resolve().parent.parent


def corpus_files() -> list[str]:
    corpus = ROOT.parent / "shared" / "corpus"
    return sorted(str(p) for p in corpus.glob("*/*.hwp"))


def main(argv: list[str]) -> int:
    rounds = int(argv[1]) if len(argv) > 1 else 5
    files = argv[2:] or corpus_files()
    if not files:
        print("bench: no documents (../shared/corpus is absent and no files were given)")
        return 1
    size_mb = sum(os.path.getsize(f) for f in files) / 1e6
    converted = raised = 0
    out_chars = 0
    start = time.perf_counter()
    for _ in range(rounds):
        converted = raised = out_chars = 0
        for f in files:
            try:
                out_chars += len(_brindle.hwp_to_markdown(f))
                converted += 1
            except (RuntimeError, MemoryError):
                raised += 1
    elapsed = (time.perf_counter() - start) / rounds
    peak_mb = resource.getrusage(resource.RUSAGE_SELF).ru_maxrss / 1024
    print(f"hwp_to_markdown over {len(files)} documents ({size_mb:.1f} MB), {rounds} rounds")
    print(f"  converted {converted}, raised {raised}, {out_chars / 1e6:.1f} M characters out")
    print(f"  {elapsed:.3f} s per round: {len(files) / elapsed:.0f} documents/s, {size_mb / elapsed:.1f} MB/s")
    print(f"  peak resident memory {peak_mb:.0f} MB")
    tool = os.environ.get("BRINDLE_BENCH_FLOOR")
    if tool:
        print("native, same documents:")
        sys.stdout.flush()
        subprocess.run([tool, str(rounds), *files], check=True)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
