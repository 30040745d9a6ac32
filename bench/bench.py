"""Benchmark: converts every document of the shared corpus (or the given
files) in one process and reports documents per second, input MB per
second and peak memory; runs the native floor benchmark, which sets the
whole conversion against the cost of opening the files and inflating their
sections (the reference: libgsf and the original zlib code; ours; and our
reader with libdeflate); times generated containers of 100 000
sections and of 10 000 to 400 000 directory entries, each in a child
process for its own peak memory; then the package and its command line
(bench_cli.py) and the shape of the tables each profile writes
(table_shape.py).

    scripts/bench.sh [ROUNDS] [FILE...]
"""

from __future__ import annotations

import os
import pathlib
import resource
import subprocess
import sys
import tempfile
import time

import _brindle

ROOT = pathlib.Path(__file__).resolve().parent.parent
sys.path.insert(0, str(ROOT / "tests" / "fixtures"))

import bench_cli  # noqa: E402  (the brindle package and its command line)
import bench_hwpml  # noqa: E402  (HWPML documents)
import bench_hwpx  # noqa: E402  (HWPX documents)
import bench_parse  # noqa: E402  (Document results: pictures, properties, equations)
import table_shape  # noqa: E402  (how readable the full profile's tables are)
from hwpfixture import hostile  # noqa: E402

# Converts one file in a fresh interpreter: seconds and the call's peak memory.
_CHILD = r"""
import sys, time, _brindle
def peak():
    for line in open("/proc/self/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
before = peak()
start = time.perf_counter()
text = _brindle.hwp_to_markdown(sys.argv[1])
print(time.perf_counter() - start, peak() - before, len(text))
"""


def isolated(path: pathlib.Path) -> tuple[float, int, int]:
    done = subprocess.run([sys.executable, "-c", _CHILD, str(path)], capture_output=True, text=True, check=True)
    seconds, growth, chars = done.stdout.split()
    return float(seconds), int(growth), int(chars)


def hostile_containers() -> None:
    print("generated containers (one call each, in a child process):")
    with tempfile.TemporaryDirectory() as folder:
        cases = [("100000 sections", hostile.many_sections_document(100_000))]
        cases += [
            (f"{n} directory entries", hostile.many_entries_container(n, streams=True))
            for n in (10_000, 100_000, 400_000)
        ]
        for name, data in cases:
            path = pathlib.Path(folder) / "doc.hwp"
            path.write_bytes(data)
            seconds, growth, chars = isolated(path)
            print(
                f"  {name:24} {len(data) / 1e6:6.1f} MB: {seconds:.3f} s, peak memory +{growth / 2**20:.0f} MiB, "
                f"{chars} characters"
            )


def corpus_files() -> list[str]:
    corpus = ROOT.parent / "shared" / "corpus"
    return sorted(str(p) for p in [*corpus.glob("*/*.hwp"), *corpus.glob("diverse/hwp/*.hwp")])


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
        subprocess.run([tool, str(rounds), *files], check=True, stderr=subprocess.DEVNULL)
    previous = os.environ.get("BRINDLE_BENCH_PREVIOUS_FLOOR")
    if previous:
        print("native, same documents, the previous build (BRINDLE_BENCH_PREVIOUS):")
        sys.stdout.flush()
        subprocess.run([previous, str(rounds), *files], check=True, stderr=subprocess.DEVNULL)
    hostile_containers()
    bench_cli.main(files, rounds)
    table_shape.main(["table_shape", *files])
    bench_hwpx.main(rounds)
    bench_hwpml.main(rounds)
    bench_parse.main(rounds)
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
