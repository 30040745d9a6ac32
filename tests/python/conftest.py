"""Shared setup of the Python tests: the fixture writer on sys.path, factories that
write HWP and compound files into the test's tmp_path, the real-document corpus, and
helpers that check how the module reports a failure."""

from __future__ import annotations

import itertools
import os
import sys
from pathlib import Path

import pytest

REPO_ROOT = Path(__file__).resolve().parents[2]
sys.path.insert(0, str(REPO_ROOT / "tests" / "fixtures"))
# A build tree's modules (such as the sanitizer build's) take precedence when named:
# _brindle in <build>/module, the brindle package in <build>/python.
if os.environ.get("BRINDLE_MODULE_DIR"):
    sys.path.insert(0, os.environ["BRINDLE_MODULE_DIR"])
    sys.path.insert(0, str(Path(os.environ["BRINDLE_MODULE_DIR"]).parent / "python"))

import _brindle  # noqa: E402
import hwpfixture  # noqa: E402

CORPUS_DIR = REPO_ROOT.parent / "shared" / "corpus"


def corpus_documents() -> list[Path]:
    """Every document of the shared corpus, sorted; empty when it is absent."""
    return sorted(p for folder in ("samples", "public") for p in (CORPUS_DIR / folder).glob("*") if p.is_file())


def import_framework(name: str):
    """The module `name` of a loader's framework, imported; the calling test module is
    skipped without it, and in the sanitizer run, where the frameworks' own native
    extensions would run under a runtime they were not built for."""
    if "asan" in os.environ.get("LD_PRELOAD", ""):
        pytest.skip("the frameworks are not run under the sanitizer", allow_module_level=True)
    return pytest.importorskip(name)


# Prefixes of every message a document failure can carry.
ERROR_PREFIXES = (
    "IO error: ",
    "Compound file error: ",
    "Invalid HWP signature",
    "Parse error: ",
    "Password-protected HWP files are not supported",
)


@pytest.fixture
def make_hwp(tmp_path):
    """make_hwp(sections, **write_hwp options) -> path of a new HWP file."""
    counter = itertools.count()

    def make(sections, **options) -> str:
        path = tmp_path / f"doc{next(counter)}.hwp"
        hwpfixture.write_hwp(path, sections, **options)
        return str(path)

    return make


@pytest.fixture
def make_hwpx(tmp_path):
    """make_hwpx(sections, doc_info=None, **options) -> path of a new HWPX package whose
    section n holds the paragraphs `sections[n]` (fixture objects, as for hwp.section)."""
    counter = itertools.count()

    def make(sections, doc_info=None, **options) -> str:
        path = tmp_path / f"doc{next(counter)}.hwpx"
        hwpfixture.write_hwpx(path, sections, doc_info, **options)
        return str(path)

    return make


@pytest.fixture
def twins(make_hwp, make_hwpx):
    """twins(*paragraphs, doc_info=None, profile="full") -> the Markdown of the document
    written as HWP 5.0, checked to be the Markdown of the same document written as
    HWPX and as HWPML."""
    import brindle

    def run(*paragraphs, doc_info=None, profile="full") -> str:
        markdown = brindle.convert(make_hwp([hwpfixture.section(*paragraphs)], doc_info=doc_info), profile=profile)
        assert brindle.convert(make_hwpx([paragraphs], doc_info), profile=profile) == markdown
        assert brindle.convert(hwpfixture.hwpml.hwpml_bytes([paragraphs], doc_info), profile=profile) == markdown
        return markdown

    return run


@pytest.fixture
def make_file(tmp_path):
    """make_file(bytes) -> path of a new file holding exactly those bytes."""
    counter = itertools.count()

    def make(data: bytes) -> str:
        path = tmp_path / f"file{next(counter)}.bin"
        path.write_bytes(data)
        return str(path)

    return make


def runtime_error(fn, path) -> str:
    """Call fn(path), expecting the RuntimeError of a document failure, and return its
    message after checking its form: one argument, no chained exception, no trailing
    white space."""
    with pytest.raises(RuntimeError) as info:
        fn(path)
    error = info.value
    assert type(error) is RuntimeError
    assert len(error.args) == 1 and isinstance(error.args[0], str)
    assert error.__cause__ is None and error.__context__ is None
    message = error.args[0]
    assert message == message.rstrip()
    return message


BOTH_FUNCTIONS = pytest.mark.parametrize(
    "fn", [_brindle.hwp_to_markdown, _brindle.hwp_debug_records], ids=lambda f: f.__name__
)
