"""The abi3 build of brindle._native against the per-version one, side by side: each
round converts every corpus document by both profiles, from its path and from its
bytes, once with each build (each in a child process of its own, alternating, so
that a change of the machine's load falls on both). Reports the fastest round's CPU
seconds of each and their ratio, and checks that both give the same Markdown.

    scripts/bench.sh --abi3 [ROUNDS]
"""

from __future__ import annotations

import os
import subprocess
import sys
from pathlib import Path

_CHILD = r"""
import hashlib, sys, time, brindle
paths = sys.argv[1:]
data = [open(p, "rb").read() for p in paths]
digest = hashlib.sha256()
start = time.process_time()
for path, content in zip(paths, data):
    for profile in ("exact", "full"):
        for source in (path, content):
            try:
                digest.update(brindle.convert(source, profile=profile).encode())
            except (brindle.DocumentError, OSError, MemoryError) as error:
                digest.update(type(error).__name__.encode())
print(time.process_time() - start, digest.hexdigest(), brindle._native.__file__)
"""


def one_round(package_dir: str, paths: list[str]) -> tuple[float, str, str]:
    env = dict(os.environ, PYTHONPATH=package_dir)
    done = subprocess.run([sys.executable, "-c", _CHILD, *paths], env=env, capture_output=True, text=True, check=True)
    seconds, digest, module = done.stdout.split()
    return float(seconds), digest, module


def main(argv: list[str]) -> int:
    per_version, abi3, rounds, corpus = argv[0], argv[1], int(argv[2]), Path(argv[3])
    paths = sorted(str(p) for p in corpus.rglob("*") if p.suffix.lower() in (".hwp", ".hwpx") and p.is_file())
    best = {per_version: float("inf"), abi3: float("inf")}
    digests: dict[str, str] = {}
    modules: dict[str, str] = {}
    for _ in range(rounds):
        for build in (per_version, abi3):
            seconds, digests[build], modules[build] = one_round(build, paths)
            best[build] = min(best[build], seconds)
    for build in (per_version, abi3):
        print(
            f"{Path(modules[build]).name:45} {best[build]:7.3f} s CPU, {len(paths) * 4 / best[build]:8.0f} conversions/s"
        )
    ratio = best[abi3] / best[per_version]
    print(
        f"abi3 / per-version: {ratio:.3f} (fastest of {rounds} rounds, {len(paths)} documents x 2 profiles x 2 sources)"
    )
    if digests[per_version] != digests[abi3]:
        print("the two builds convert otherwise", file=sys.stderr)
        return 1
    print("the same Markdown from both")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
