"""Running one call of the module in a child interpreter, so that a test can see a
crash as a signal instead of losing its own process, stop a call that does not
return (the module holds the interpreter lock for the whole call, so a thread
cannot), and read the call's own peak resident memory and time."""

from __future__ import annotations

import json
import os
import subprocess
import sys
from dataclasses import dataclass, field
from pathlib import Path
from typing import Any

import pytest

# The plain build's calls run in well under a second each; a call that has not
# returned after this long is taken to be quadratic (or stuck), not slow.
TIME_LIMIT = 60.0

# Under AddressSanitizer (scripts/test.sh preloads its runtime) freed memory is held
# in a quarantine and every allocation carries red zones, so resident memory says
# nothing about the converter; memory bounds are checked on the plain build only.
UNDER_ASAN = "asan" in os.environ.get("LD_PRELOAD", "")

MIB = 1 << 20

_CHILD = r"""
import json, os, resource, sys, time
if os.environ.get("BRINDLE_MODULE_DIR"):
    sys.path.insert(0, os.environ["BRINDLE_MODULE_DIR"])
    sys.path.insert(0, os.path.join(os.path.dirname(os.environ["BRINDLE_MODULE_DIR"]), "python"))
import _brindle

function, path, result_file = sys.argv[1:4]
if function == "full":  # the brindle package's full profile
    import brindle
    call = brindle.convert
else:
    call = getattr(_brindle, function)
def peak():
    # The address space's own high-water mark: ru_maxrss would start from the
    # parent's, which exec carries over into the child.
    with open("/proc/self/status") as status:
        for line in status:
            if line.startswith("VmHWM:"):
                return int(line.split()[1]) * 1024
    return resource.getrusage(resource.RUSAGE_SELF).ru_maxrss * 1024
before = peak()
start = time.perf_counter()
try:
    result = call(path)
except BaseException as error:
    seconds, after = time.perf_counter() - start, peak()
    report = {"raised": type(error).__name__, "args": [str(a) for a in error.args]}
else:
    seconds, after = time.perf_counter() - start, peak()
    report = {"raised": None, "type": type(result).__name__}
    with open(result_file, "w", encoding="utf-8", errors="surrogatepass") as out:
        if isinstance(result, str):
            out.write(result)
        else:  # runs of equal entries: a listing may hold millions of them
            runs = []
            for entry in result:
                if runs and runs[-1][0] == entry:
                    runs[-1][1] += 1
                else:
                    runs.append([entry, 1])
            out.write(json.dumps(runs, separators=(",", ":")))
report.update(seconds=seconds, rss_before=before, rss_peak=after)
print(json.dumps(report))
"""


@dataclass
class Outcome:
    """What one isolated call did."""

    raised: str | None  # name of the exception's type, or None on success
    args: list[str]
    seconds: float  # the call alone, without the child's start-up
    peak_growth: int  # bytes the process's peak resident set grew during the call
    result_file: Path
    type: str | None = None  # name of the result's type on success
    _result: Any = field(default=None, repr=False)

    @property
    def result(self) -> Any:
        """The returned str, or the returned list (tuples as lists; equal entries in a
        row are one object)."""
        assert self.raised is None, f"the call raised {self.raised}{tuple(self.args)}"
        if self._result is None:
            text = self.result_file.read_text(encoding="utf-8", errors="surrogatepass")
            if self.type == "str":
                self._result = text
            else:
                self._result = []
                for entry, count in json.loads(text):
                    self._result.extend([entry] * count)
        return self._result


def run_isolated(
    path, function: str = "hwp_to_markdown", timeout: float = TIME_LIMIT, workdir: Path | None = None
) -> Outcome:
    """Call _brindle.<function>(path) in a fresh interpreter and report the outcome.
    Fails the test when the child is killed by a signal, fails otherwise, or has not
    finished after `timeout` seconds."""
    workdir = Path(workdir or Path(path).parent)
    result_file = workdir / f"{Path(path).name}.{function}.result"
    command = [sys.executable, "-c", _CHILD, function, str(path), str(result_file)]
    try:
        child = subprocess.run(command, capture_output=True, text=True, timeout=timeout)
    except subprocess.TimeoutExpired:
        pytest.fail(f"{function}({Path(path).name!r}) did not return within {timeout:.0f} s")
    if child.returncode != 0:
        how = f"signal {-child.returncode}" if child.returncode < 0 else f"status {child.returncode}"
        pytest.fail(f"{function}({Path(path).name!r}) ended the process with {how}:\n{child.stderr[-4000:]}")
    report = json.loads(child.stdout.strip().splitlines()[-1])
    return Outcome(
        raised=report["raised"],
        args=report["args"] if report["raised"] else [],
        seconds=report["seconds"],
        peak_growth=report["rss_peak"] - report["rss_before"],
        result_file=result_file,
        type=report.get("type"),
    )


def check_peak(outcome: Outcome, bound: int, what: str) -> None:
    """Assert that the call's peak resident memory grew by less than `bound` bytes,
    printing the figure; skipped under AddressSanitizer."""
    print(
        f"{what}: peak RSS +{outcome.peak_growth / MIB:.1f} MiB (bound {bound / MIB:.0f} MiB), {outcome.seconds:.2f} s"
    )
    if UNDER_ASAN:
        return
    assert outcome.peak_growth < bound, (
        f"{what}: peak resident memory grew by {outcome.peak_growth / MIB:.0f} MiB, more than {bound / MIB:.0f} MiB"
    )
