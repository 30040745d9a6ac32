"""Static types: `mypy --strict` accepts the package and the README's usage of it, with
both extensions' stubs in view (from the source tree, and from the installed copy
where one is installed), and flags calls of the wrong type."""

from __future__ import annotations

import importlib.util
import os
import re
import subprocess
import sys
import textwrap
from importlib import metadata
from pathlib import Path

import pytest

from conftest import REPO_ROOT

pytestmark = [
    pytest.mark.skipif(importlib.util.find_spec("mypy") is None, reason="mypy is not installed"),
    # mypy reads the sources and never runs them: the release run has checked them.
    pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""), reason="static checks: not under the sanitizer run"),
]

SOURCE_PATH = f"{REPO_ROOT / 'python'}{os.pathsep}{REPO_ROOT / 'module'}"
STUB_FILES = ("_brindle.pyi", "brindle/py.typed", "brindle/_native.pyi")

# The README's usage, with the types each call must have.
EXAMPLES = textwrap.dedent(
    """
    from __future__ import annotations

    import io
    import os
    import pathlib
    from typing import assert_type

    import _brindle
    import brindle


    def examples(folder: pathlib.Path) -> None:
        assert_type(brindle.convert("report.hwp"), str)
        assert_type(brindle.convert(pathlib.Path("report.hwp")), str)
        data = pathlib.Path("report.hwp").read_bytes()
        assert_type(brindle.convert(data), str)
        assert_type(brindle.convert(bytearray(data)), str)
        assert_type(brindle.convert(memoryview(data)), str)
        with open("report.hwp", "rb") as file:
            assert_type(brindle.convert(file), str)
        assert_type(brindle.convert(io.BytesIO(data), profile="exact"), str)
        source: brindle.Source = folder / "report.hwp"
        assert_type(brindle.convert(source), str)

        paths = sorted(folder.rglob("*.hwp"))
        for result in brindle.convert_many(paths, workers=4, ordered=False):
            assert_type(result, brindle.ConversionResult[pathlib.Path])
            assert_type(result.source, pathlib.Path)
            assert_type(result.seconds, float)
            assert_type(result.ok, bool)
            assert_type(result.markdown, str | None)
            assert_type(result.error, Exception | None)
            if result.ok and result.markdown is not None:
                result.source.with_suffix(".md").write_text(result.markdown)
            else:
                print(f"{result.source}: {result.error}")
        for from_bytes in brindle.convert_many([data, data]):
            assert_type(from_bytes.source, bytes)

        document = brindle.parse("report.hwpx", page_markers=True)
        for heading in document.outline:
            assert_type(heading, brindle.Heading)
            assert_type(heading.level, int)
        assert_type(document.page_count, int | None)
        for chunk in document.chunks(max_chars=1000):
            assert_type(chunk, brindle.Chunk)
            assert_type(chunk.headings, tuple[str, ...])
            assert_type(chunk.pages, tuple[int, int] | None)

        assert_type(brindle.records("report.hwp"), list[tuple[int, int, int]])
        for tag_id, level, size in brindle.records(data):
            print(tag_id + level + size)

        try:
            markdown = brindle.convert("report.hwp")
        except brindle.PasswordProtectedError as error:
            assert_type(error.filename, str | os.PathLike[str] | None)
        except brindle.DocumentError as error:
            assert_type(error.message, str)
            assert isinstance(error, RuntimeError)
        except FileNotFoundError as error:
            print(error.filename)
        else:
            assert_type(markdown, str)

        assert_type(_brindle.hwp_to_markdown("report.hwp"), str)
        assert_type(_brindle.hwp_debug_records("report.hwp"), list[tuple[int, int, int]])
        assert_type(brindle.__version__, str)
    """
)

# Each line marked "# flagged" must be an error, of the code named after it.
WRONG_CALLS = textwrap.dedent(
    """
    import _brindle
    import brindle

    brindle.convert(1)  # flagged arg-type
    _brindle.hwp_to_markdown(1)  # flagged arg-type
    _brindle.hwp_debug_records(b"report.hwp")  # flagged arg-type
    brindle.convert("report.hwp", profile="fast")  # flagged arg-type
    brindle.records([1, 2])  # flagged arg-type
    brindle.parse("report.hwp").chunks(max_chars="1000")  # flagged arg-type
    count: int = brindle.convert("report.hwp")  # flagged assignment
    brindle.convert("report.hwp").decode()  # flagged attr-defined
    """
)


def installed_distribution() -> metadata.Distribution | None:
    """The brindle installed into this interpreter's site-packages, if any."""
    try:
        distribution = metadata.distribution("brindle")
    except metadata.PackageNotFoundError:
        return None
    files = distribution.files or []
    return distribution if any(str(f).startswith("brindle/") for f in files) else None


def mypy(args: list[str | Path], cwd: Path, mypy_path: str | None) -> subprocess.CompletedProcess[str]:
    """`mypy --strict ARGS` in a child process, from `cwd` (outside the tree, so that
    only MYPYPATH, or else the installed packages, can supply brindle and _brindle)."""
    # Nothing of the sanitizer run's or a build tree's: mypy reads, never imports.
    dropped = ("PYTHONPATH", "MYPYPATH", "LD_PRELOAD", "PYTHONMALLOC")
    env = {k: v for k, v in os.environ.items() if k not in dropped}
    if mypy_path is not None:
        env["MYPYPATH"] = mypy_path
    command = [sys.executable, "-m", "mypy", "--strict", "--no-color-output", "--cache-dir", str(cwd / ".mypy_cache")]
    return subprocess.run(command + [str(a) for a in args], cwd=cwd, env=env, capture_output=True, text=True)


@pytest.fixture(params=["source", "installed"])
def where(request: pytest.FixtureRequest) -> str | None:
    """MYPYPATH for the package's source tree, or None for the installed copy."""
    if request.param == "source":
        return SOURCE_PATH
    distribution = installed_distribution()
    if distribution is None:
        pytest.skip("brindle is not installed into this interpreter's site-packages")
    installed = {str(f) for f in distribution.files or []}
    assert set(STUB_FILES) <= installed, f"not installed: {set(STUB_FILES) - installed}"
    for stub in STUB_FILES:
        assert Path(str(distribution.locate_file(stub))).is_file()
    return None


@pytest.mark.parametrize("version", ["3.13", "3.10"])
def test_package_passes_strict(tmp_path: Path, version: str) -> None:
    # Checked as the oldest supported version too: a name the standard library gained
    # later (collections.abc.Buffer, tomllib, ...) is an error there.
    sources = sorted((REPO_ROOT / "python" / "brindle").rglob("*.py*")) + [REPO_ROOT / "module" / "_brindle.pyi"]
    # Named as modules, so that mypy finds them through MYPYPATH as brindle.* and _brindle.
    result = mypy(["--python-version", version, "-p", "brindle", "-m", "_brindle"], tmp_path, SOURCE_PATH)
    assert result.returncode == 0, result.stdout + result.stderr
    checked = re.search(r"in (\d+) source files", result.stdout)
    assert checked and int(checked.group(1)) == len(sources), result.stdout


def test_usage_examples_pass_strict(tmp_path: Path, where: str | None) -> None:
    examples = tmp_path / "examples.py"
    examples.write_text(EXAMPLES)
    result = mypy([examples], tmp_path, where)
    assert result.returncode == 0, result.stdout + result.stderr
    assert "Success: no issues found in 1 source file" in result.stdout


def test_wrong_calls_are_flagged(tmp_path: Path, where: str | None) -> None:
    wrong = tmp_path / "wrong.py"
    wrong.write_text(WRONG_CALLS)
    result = mypy([wrong], tmp_path, where)
    assert result.returncode == 1, result.stdout + result.stderr
    expected = {
        number: line.split("# flagged ")[1]
        for number, line in enumerate(WRONG_CALLS.splitlines(), start=1)
        if "# flagged " in line
    }
    found = {
        int(m.group(1)): m.group(2)
        for m in re.finditer(r"^wrong\.py:(\d+): error: .*\[([\w-]+)\]$", result.stdout, re.MULTILINE)
    }
    assert found == expected, result.stdout


def test_annotations_resolve_at_run_time() -> None:
    # Documentation tools and frameworks that read signatures (pydantic, pdoc) evaluate
    # the annotations: every public callable's must resolve where it is defined.
    import inspect
    import typing

    import brindle

    for name in brindle.__all__:
        value = getattr(brindle, name)
        if inspect.isfunction(value) or inspect.isclass(value):
            typing.get_type_hints(value)
    assert typing.get_type_hints(brindle.convert_many)["return"]
    assert brindle.Source in typing.get_type_hints(brindle.parse).values()
