"""The abi3 and aarch64 wheels that scripts/wheel.sh builds, and the comparisons its
--smoke step rests on. The abi3 wheel holds brindle._native alone, built for the
limited API (abi3audit finds nothing outside it), and converts as this process does;
an aarch64 wheel's extensions are ARM64 code needing only what manylinux allows. The
comparers must catch a single changed digest, and ignore only what a wheel lacks."""

from __future__ import annotations

import json
import os
import re
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest

import brindle
from conftest import REPO_ROOT
from test_wheel import TOOL_PATH, VERSION, clean_env, run
from test_wheel import pytestmark as wheel_marks

SCRIPTS = REPO_ROOT / "scripts"
AARCH64_LIBRARIES = {"libstdc++.so.6", "libgcc_s.so.1", "libc.so.6", "libm.so.6", "ld-linux-aarch64.so.1"}


def built(pattern: str) -> Path:
    """A wheel the test command built (BRINDLE_WHEELS), or skip."""
    folder = os.environ.get("BRINDLE_WHEELS")
    found = sorted(Path(folder).glob(pattern)) if folder else []
    if not found:
        pytest.skip(f"no {pattern} built (BRINDLE_WHEELS)")
    return found[0]


def names(wheel: Path) -> set[str]:
    with zipfile.ZipFile(wheel) as archive:
        return set(archive.namelist())


@pytest.fixture(scope="module")
def abi3_wheel(tmp_path_factory: pytest.TempPathFactory) -> Path:
    if os.environ.get("BRINDLE_WHEELS"):
        return built(f"brindle-{VERSION}-cp312-abi3-manylinux_*_x86_64.whl")
    dist = tmp_path_factory.mktemp("abi3") / "dist"
    result = run(
        [
            "bash",
            SCRIPTS / "wheel.sh",
            "--abi3",
            "--dist",
            dist,
            "--build-dir",
            REPO_ROOT / "build" / "wheel-test-abi3",
        ],
        cwd=dist.parent,
    )
    assert "abi3audit: no symbol outside the limited API of CPython 3.12" in result.stdout
    return Path(result.stdout.strip().splitlines()[-1])


class TestAbi3Wheel:
    pytestmark = wheel_marks

    def test_holds_the_package_alone_for_the_stable_abi(self, abi3_wheel: Path) -> None:
        assert re.fullmatch(rf"brindle-{re.escape(VERSION)}-cp312-abi3-manylinux_2_\d+_x86_64\.whl", abi3_wheel.name)
        held = names(abi3_wheel)
        assert sorted(n for n in held if n.endswith(".so")) == ["brindle/_native.abi3.so"]
        assert not any(n.startswith(("_brindle", "brindle.libs/")) for n in held)
        assert {"brindle/_native.pyi", "brindle/py.typed"} <= held
        audit = subprocess.run(
            ["abi3audit", "--strict", "--summary", abi3_wheel],
            env={**clean_env(), "PATH": TOOL_PATH},
            capture_output=True,
            text=True,
        )
        summary = " ".join((audit.stdout + audit.stderr).split())
        assert audit.returncode == 0 and "1 extensions scanned" in summary and "0 ABI violations" in summary, summary

    def test_converts_as_this_process_does(self, abi3_wheel: Path, tmp_path: Path) -> None:
        run(
            [sys.executable, REPO_ROOT / "tests" / "fixtures" / "hwp_fixture.py", "sample", tmp_path / "s.hwp"],
            tmp_path,
        )
        base = getattr(sys, "_base_executable", sys.executable)
        run([base, "-m", "venv", tmp_path / "venv"], tmp_path)
        python = tmp_path / "venv" / "bin" / "python"
        run([python, "-m", "pip", "install", "-q", "--disable-pip-version-check", abi3_wheel], tmp_path)
        child = run(
            [
                python,
                "-c",
                "import sys, json, brindle, importlib.util; print(json.dumps("
                "[brindle.convert(sys.argv[1], profile=p) for p in ('exact', 'full')] +"
                " [importlib.util.find_spec('_brindle') is None]))",
                tmp_path / "s.hwp",
            ],
            tmp_path,
        )
        exact, full, no_compat = json.loads(child.stdout)
        assert [exact, full] == [brindle.convert(tmp_path / "s.hwp", profile=p) for p in ("exact", "full")]
        assert no_compat


@pytest.mark.parametrize("tag", ["cp310-cp310", "cp311-cp311", "cp312-cp312", "cp313-cp313", "cp312-abi3"])
def test_aarch64_wheel_is_arm64_code_needing_only_manylinux(tag: str, tmp_path: Path) -> None:
    wheel = built(f"brindle-{VERSION}-{tag}-manylinux_2_*_aarch64.whl")
    with zipfile.ZipFile(wheel) as archive:
        archive.extractall(tmp_path)
    extensions = sorted(tmp_path.rglob("*.so"))
    assert len(extensions) == (1 if tag.endswith("abi3") else 2), extensions
    for extension in extensions:
        header = run(["readelf", "-h", "-d", extension], tmp_path).stdout
        assert re.search(r"Machine:\s+AArch64", header), header
        needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[([^]]+)\]", header))
        assert needed <= AARCH64_LIBRARIES, needed
        assert "RPATH" not in header and "RUNPATH" not in header


def outcomes(folder: Path, name: str, rows: list[list[str]]) -> Path:
    path = folder / name
    path.write_text("".join("\t".join(row) + "\n" for row in rows), encoding="utf-8")
    return path


def corpus_outcomes(*args: object) -> subprocess.CompletedProcess[str]:
    return subprocess.run(
        [sys.executable, SCRIPTS / "corpus_outcomes.py", *map(str, args)], capture_output=True, text=True
    )


def test_corpus_comparison_catches_one_changed_digest(tmp_path: Path) -> None:
    row = ["public/a.hwp", "ok 1", "ok 2", "ok 3", "ok 4"]
    reference = outcomes(tmp_path, "x86.tsv", [row, ["hwpx/b.hwpx", "ok 5", "ok 6", "-", "-"]])
    assert corpus_outcomes("compare", reference, reference).returncode == 0
    # A wheel without _brindle ("-") is compared on both profiles alone.
    abi3 = outcomes(tmp_path, "abi3.tsv", [row[:3] + ["-", "-"], ["hwpx/b.hwpx", "ok 5", "ok 6", "-", "-"]])
    assert corpus_outcomes("compare", reference, abi3).returncode == 0
    for changed, column in ((["public/a.hwp", "ok 1", "ok X", "ok 3", "ok 4"], 3), (row[:4] + ["ok X"], 5)):
        other = outcomes(tmp_path, "arm.tsv", [changed, ["hwpx/b.hwpx", "ok 5", "ok 6", "-", "-"]])
        result = corpus_outcomes("compare", reference, other)
        assert result.returncode == 1 and f"public/a.hwp (column {column})" in result.stderr
    missing = outcomes(tmp_path, "short.tsv", [row])
    assert "hwpx/b.hwpx: missing" in corpus_outcomes("compare", reference, missing).stderr


def test_corpus_check_holds_brindle_to_the_recorded_table(tmp_path: Path) -> None:
    table = outcomes(
        tmp_path,
        "table.tsv",
        [
            ["# document", "hwp_to_markdown", "hwp_debug_records"],
            ["public/a.hwp", "ok 3", "ok 4"],
            ["public/c.hwp", "error CompoundFile one message", "error CompoundFile x"],
        ],
    )
    good = outcomes(
        tmp_path,
        "good.tsv",
        [
            ["public/a.hwp", "ok 1", "ok 2", "ok 3", "ok 4"],
            ["public/c.hwp", "-", "-", "error CompoundFile another", "error CompoundFile y"],
        ],
    )
    assert corpus_outcomes("check", table, good).returncode == 0
    bad = outcomes(
        tmp_path,
        "bad.tsv",
        [
            ["public/a.hwp", "ok 1", "ok 2", "ok 3", "ok 9"],
            ["public/c.hwp", "-", "-", "error CompoundFile z", "error CompoundFile y"],
        ],
    )
    result = corpus_outcomes("check", table, bad)
    assert result.returncode == 1 and "public/a.hwp: _brindle gives ok 3 / ok 9" in result.stderr


def test_smoke_comparison_drops_brindle_only_for_a_wheel_without_it(tmp_path: Path) -> None:
    def results(name: str, compat: bool, compat_digest: str, full: str) -> Path:
        entry = {"exact": "e", "full": full, **({"_brindle": compat_digest} if compat else {})}
        path = tmp_path / name
        path.write_text(json.dumps({"version": VERSION, "compat": compat, "documents": {"a.hwp": entry}}))
        return path

    def compare(a: Path, b: Path) -> int:
        return subprocess.run(
            [sys.executable, SCRIPTS / "wheel_smoke.py", "--compare", a, b], capture_output=True
        ).returncode

    reference = results("ref.json", True, "m", "f")
    assert compare(reference, results("abi3.json", False, "", "f")) == 0
    assert compare(reference, results("abi3-differs.json", False, "", "g")) == 1
    assert compare(reference, results("compat-differs.json", True, "n", "f")) == 1
