"""The HWPX half of the benchmark: over the twins of ../shared/corpus/hwpx (the
corpus's HWP documents saved as HWPX), the native conversion against the floor of
opening, inflating and parsing the parts (bench_hwpx, beside the HWP 5.0 conversion of
the same documents); brindle.convert by each profile and convert_many on one and two
threads; and the peak memory of converting the real HWPX document with the largest
part, against that part's size.

    python bench/bench_hwpx.py [ROUNDS]      (also run by bench.py)
"""

from __future__ import annotations

import os
import pathlib
import subprocess
import sys
import time
import zipfile

ROOT = pathlib.Path(__file__).resolve().parent.parent
CORPUS = ROOT.parent / "shared" / "corpus"

_CHILD = r"""
import sys, brindle
def peak():
    for line in open("/proc/self/status"):
        if line.startswith("VmHWM:"):
            return int(line.split()[1]) * 1024
data = open(sys.argv[1], "rb").read()
before = peak()
brindle.convert(data)
print(peak() - before)
"""


def twins() -> list[tuple[pathlib.Path, pathlib.Path]]:
    pairs = []
    for folder in ("samples", "public"):
        for twin in sorted((CORPUS / "hwpx" / "twins" / folder).glob("*.hwpx")):
            original = CORPUS / folder / (twin.stem + ".hwp")
            if original.is_file():
                pairs.append((original, twin))
    return pairs


def largest_part(path: pathlib.Path) -> int:
    with zipfile.ZipFile(path) as archive:
        return max(info.file_size for info in archive.infolist())


def main(rounds: int = 5) -> int:
    pairs = twins()
    if not pairs:
        print("bench_hwpx: no HWPX twins (../shared/corpus/hwpx is absent)")
        return 1
    import brindle

    tool = os.environ.get("BRINDLE_BENCH_HWPX")
    print(f"HWPX twins: {len(pairs)} documents")
    previous = os.environ.get("BRINDLE_BENCH_PREVIOUS_HWPX")
    for label, native in (("", tool), ("the previous build (BRINDLE_BENCH_PREVIOUS):", previous)):
        if native:
            if label:
                print(f"  {label}")
            sys.stdout.flush()
            subprocess.run(
                [native, str(rounds), *(str(t) for _, t in pairs), "--", *(str(o) for o, _ in pairs)], check=True
            )
    data = [t.read_bytes() for _, t in pairs]
    for profile in ("exact", "full"):
        start = time.perf_counter()
        for _ in range(rounds):
            for document in data:
                brindle.convert(document, profile=profile)
        rate = len(data) * rounds / (time.perf_counter() - start)
        print(f"  brindle.convert ({profile:5}): {rate:.0f} documents/s")
    paths = [str(t) for _, t in pairs]
    rates = {}
    for workers in (1, 2):
        start = time.perf_counter()
        for _ in range(rounds):
            for _result in brindle.convert_many(paths, workers=workers):
                pass
        rates[workers] = len(paths) * rounds / (time.perf_counter() - start)
        print(f"  convert_many (full), workers={workers}: {rates[workers]:.0f} documents/s")
    print(f"  workers=2 / workers=1: {rates[2] / rates[1]:.2f}x")
    real = sorted((CORPUS / "hwpx" / "real").glob("*.hwpx"), key=largest_part)
    if real:
        biggest = real[-1]
        done = subprocess.run([sys.executable, "-c", _CHILD, str(biggest)], capture_output=True, text=True, check=True)
        growth = int(done.stdout)
        part = largest_part(biggest)
        print(
            f"  peak memory converting {biggest.name[:12]} (largest part {part / 1e6:.2f} MB): "
            f"+{growth / 2**20:.1f} MiB, {growth / part:.1f} x the part"
        )
    return 0


if __name__ == "__main__":
    sys.exit(main(int(sys.argv[1]) if len(sys.argv) > 1 else 5))
