"""Benchmark of the brindle package and its command line over the shared corpus (or
the given files): brindle.convert by the exact and by the full profile, side by side
in interleaved rounds, and the ratio between them; brindle.convert_many (the full
profile) on one and on two threads, in documents per second and the ratio between
them; and `python -m brindle convert FOLDER -o OUT -q` end to end (start-up, walk,
read, convert, write every file) in documents per second.

    python bench/bench_cli.py [ROUNDS] [FILE...]      (also run at the end of bench.py)
"""

from __future__ import annotations

import os
import pathlib
import shutil
import subprocess
import sys
import tempfile
import time
from collections.abc import Callable
from types import ModuleType

ROOT = pathlib.Path(__file__).resolve().parent.parent  # as in bench.py


def _brindle() -> ModuleType | None:
    """The brindle package: importable as is, or from the benchmark's build tree."""
    try:
        import brindle
    except ImportError:
        sys.path.insert(0, str(ROOT / "build" / "bench" / "python"))
        try:
            import brindle
        except ImportError:
            return None
    return brindle


def corpus_files() -> list[str]:
    return sorted(str(p) for p in (ROOT.parent / "shared" / "corpus").glob("*/*.hwp"))


def _per_second(files: list[str], rounds: int, run: Callable[[], object]) -> float:
    start = time.perf_counter()
    for _ in range(rounds):
        run()
    return len(files) * rounds / (time.perf_counter() - start)


def _profiles(brindle: ModuleType, files: list[str], rounds: int) -> dict[str, float]:
    """Seconds per pass of brindle.convert over `files` by each profile, the profiles
    taking turns round by round so that a busy moment falls on both alike."""
    data = [pathlib.Path(f).read_bytes() for f in files]  # no file system in the measure
    seconds = {"exact": 0.0, "full": 0.0}
    for _ in range(rounds):
        for profile in seconds:
            start = time.perf_counter()
            for document in data:
                try:
                    brindle.convert(document, profile=profile)
                except (brindle.DocumentError, MemoryError):
                    pass
            seconds[profile] += time.perf_counter() - start
    return {profile: total / rounds for profile, total in seconds.items()}


def _cli_rate(brindle: ModuleType, files: list[str], rounds: int, converted: int) -> tuple[float, float, int]:
    """Documents per second of the command line over a folder of links to `files` (of
    which `converted` convert), the seconds of an interpreter that only imports
    brindle.cli, and the exit status."""
    package_parent = str(pathlib.Path(str(brindle.__file__)).resolve().parent.parent)
    env = {**os.environ, "PYTHONPATH": os.pathsep.join([package_parent, *sys.path])}
    with tempfile.TemporaryDirectory() as work:
        folder = pathlib.Path(work) / "in"
        folder.mkdir()
        for number, file in enumerate(files):  # numbered, so that equal names cannot collide
            os.symlink(os.path.abspath(file), folder / f"{number:06}-{os.path.basename(file)}")
        out = pathlib.Path(work) / "out"
        command = [sys.executable, "-m", "brindle", "convert", str(folder), "-o", str(out), "-q"]
        seconds, status = 0.0, 0
        for _ in range(rounds):
            shutil.rmtree(out, ignore_errors=True)
            start = time.perf_counter()
            done = subprocess.run(command, env=env, stderr=subprocess.PIPE, text=True)
            seconds += time.perf_counter() - start
            written = sum(1 for _ in out.rglob("*.md"))
            if done.returncode not in (0, 1) or written != converted:  # 1: some documents failed
                raise RuntimeError(
                    f"brindle convert exited with {done.returncode} after writing {written} of "
                    f"{converted} files: {done.stderr}"
                )
            status = done.returncode
        start = time.perf_counter()
        subprocess.run([sys.executable, "-c", "import brindle.cli"], env=env, check=True)
        startup = time.perf_counter() - start
    return len(files) * rounds / seconds, startup, status


def main(files: list[str] | None = None, rounds: int = 3) -> int:
    files = files or corpus_files()
    if not files:
        print("bench_cli: no documents (../shared/corpus is absent and no files were given)")
        return 1
    brindle = _brindle()
    if brindle is None:
        print("bench_cli: the brindle package is not importable (build build/bench first)")
        return 1
    profiles = _profiles(brindle, files, max(rounds, 10))
    print(f"brindle.convert over {len(files)} documents in memory, by profile, {max(rounds, 10)} rounds each")
    for profile, seconds in profiles.items():
        print(f"  {profile:5}: {seconds:.4f} s per pass, {len(files) / seconds:.0f} documents/s")
    print(f"  full / exact: {profiles['full'] / profiles['exact']:.2f}x the time")
    failed = sum(not result.ok for result in brindle.convert_many(files, workers=1))
    print(f"brindle.convert_many (full profile) over {len(files)} documents ({failed} fail), {rounds} rounds")
    rates = {}
    for workers in (1, 2):
        rates[workers] = _per_second(
            files, rounds, lambda: sum(1 for _ in brindle.convert_many(files, workers=workers))
        )
        print(f"  workers={workers}: {rates[workers]:.0f} documents/s")
    print(f"  workers=2 / workers=1: {rates[2] / rates[1]:.2f}x")
    rate, startup, status = _cli_rate(brindle, files, rounds, len(files) - failed)
    print(f"python -m brindle convert FOLDER -o OUT -q (exit status {status}), {rounds} rounds")
    print(f"  {rate:.0f} documents/s end to end, of which {startup:.3f} s per run is start-up")
    return 0


if __name__ == "__main__":
    arguments = sys.argv[1:]
    sys.exit(main(arguments[1:], int(arguments[0])) if arguments else main())
