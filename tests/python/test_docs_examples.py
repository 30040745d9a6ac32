"""Every Python example of the README and the manual (docs/**/*.md) runs as written.

Each ```python block is run on its own, in a fresh folder holding the bundled sample
(sample.hwp, sample.hwpx, and its text as sample.hml) and documents/, a folder of the
sample in both formats and, when ../shared/corpus is present, a few of its documents.
A block fails its test when it raises. A block that cannot run there (it needs a Dask
cluster, say) is marked on the nearest line above it with
``<!-- skip-example: the reason -->`` and skipped with that reason; a block that needs
a loader's framework is skipped without it, and in the sanitizer run, as the loaders'
own tests are."""

from __future__ import annotations

import os
import re
import shutil
from dataclasses import dataclass
from importlib.metadata import entry_points
from pathlib import Path

import pytest
from markdown_it import MarkdownIt

import hwpfixture
from conftest import CORPUS_DIR, REPO_ROOT

# The README, the manual's pages, and the files the manual includes whole.
PAGES = [
    REPO_ROOT / "README.md",
    REPO_ROOT / "CONTRIBUTING.md",
    REPO_ROOT / "CHANGELOG.md",
    *sorted((REPO_ROOT / "docs").rglob("*.md")),
]

SKIP_MARKER = re.compile(r"<!--\s*skip-example:\s*(.*?)\s*-->")
# An opening fence of a Python block, as written anywhere in a page (in a list item,
# an admonition, ...): the parse below must find as many blocks as there are.
PYTHON_FENCE = re.compile(r"^[ \t>]*(?:```|~~~)[ \t]*python\b", re.MULTILINE)
# The framework a block needs, by what it imports: a loader of brindle.integrations
# or the framework itself.
FRAMEWORKS = {
    "langchain": "langchain_core",
    "langchain_core": "langchain_core",
    "llamaindex": "llama_index.core",
    "llama_index": "llama_index.core",
    "haystack": "haystack",
    "markitdown": "markitdown",
    "distributed": "distributed",
    "dask": "dask",
    "fsspec": "fsspec",
}
IMPORT = re.compile(r"^\s*(?:from|import)\s+(?:brindle\.integrations\.)?(\w+)", re.MULTILINE)
# Documents of the shared corpus put into documents/shared/ when it is present: an HWP
# document with notes, a form, a text box, and the first HWPML and real HWPX documents.
CORPUS_SAMPLES = ("samples/footnote-endnote.hwp", "samples/getting_clickhere_text.hwp", "samples/textbox.hwp")


@dataclass(frozen=True)
class Example:
    """A Python block of a page: its first line (1-based, the opening fence), its code,
    and the reason it is skipped, when it is marked."""

    line: int
    code: str
    skip: str | None


def examples(text: str) -> list[Example]:
    """The Python blocks of a Markdown page, as a CommonMark renderer finds them
    (indented ones in list items included), each with its skip marker. A marker that
    stands before no Python block is an error: it would skip nothing."""
    lines = text.splitlines()
    found = []
    used = set()
    for token in MarkdownIt("commonmark").parse(text):
        if token.type != "fence" or token.info.split()[:1] != ["python"]:
            continue
        assert token.map is not None
        start = token.map[0]
        above = start - 1
        while above >= 0 and not lines[above].strip():
            above -= 1
        marker = SKIP_MARKER.fullmatch(lines[above].strip()) if above >= 0 else None
        if marker is not None:
            used.add(above)
        found.append(Example(start + 1, token.content, marker.group(1) if marker else None))
    stray = [n + 1 for n, line in enumerate(lines) if SKIP_MARKER.fullmatch(line.strip()) and n not in used]
    if stray:
        raise ValueError(f"skip-example markers before no Python block, at lines {stray}")
    written = len(PYTHON_FENCE.findall(text))
    if written != len(found):
        raise ValueError(f"{written} Python fences written, {len(found)} found as blocks: one is not a block")
    return found


def all_examples() -> list[tuple[Path, Example]]:
    return [(page, example) for page in PAGES for example in examples(page.read_text(encoding="utf-8"))]


@pytest.mark.parametrize(
    "text, want",
    [
        # A block at the top level, and one indented in a list item.
        ("# A\n\n```python\nx = 1\n```\n", [(3, "x = 1\n", None)]),
        ("- item:\n\n  ```python\n  x = 1\n  y = 2\n  ```\n", [(3, "x = 1\ny = 2\n", None)]),
        # Other languages, console sessions and unfenced code are not examples.
        ("```sh\nls\n```\n\n```pycon\n>>> 1\n```\n\n    x = 1\n", []),
        # A marker applies to the block after it, across blank lines, and only to it.
        (
            "<!-- skip-example: needs a cluster -->\n\n```python\na()\n```\n\n```python\nb()\n```\n",
            [(3, "a()\n", "needs a cluster"), (7, "b()\n", None)],
        ),
        ("<!-- skip-example:  spaced  -->\n```python\na()\n```\n", [(2, "a()\n", "spaced")]),
    ],
)
def test_blocks_and_markers_are_found_as_written(text, want):
    assert [(e.line, e.code, e.skip) for e in examples(text)] == want


@pytest.mark.parametrize(
    "text, fault",
    [
        # A marker with text between it and the block skips nothing.
        ("<!-- skip-example: x -->\n\nA paragraph.\n\n```python\na()\n```\n", "before no Python block"),
        ("```python\na()\n```\n\n<!-- skip-example: x -->\n", "before no Python block"),
        ("<!-- skip-example: x -->\n```sh\nls\n```\n", "before no Python block"),
        # A fence the parse does not take for a block (in an indented code block, as
        # an admonition's body is to CommonMark) would silently never run.
        ("!!! note\n\n    ```python\n    a()\n    ```\n", "one is not a block"),
    ],
)
def test_examples_that_would_not_run_are_refused(text, fault):
    with pytest.raises(ValueError, match=fault):
        examples(text)


def test_every_page_is_read():
    """The README and the manual's pages, each read without fault (every fence a block,
    every marker before one); the pages that hold Python blocks give examples."""
    assert (REPO_ROOT / "README.md") in PAGES and len(PAGES) > 1
    for page in PAGES:
        text = page.read_text(encoding="utf-8")
        assert bool(examples(text)) == bool(PYTHON_FENCE.search(text)), page


@pytest.fixture(scope="module")
def workspace(tmp_path_factory) -> Path:
    """The folder the examples run in (each in a copy of it)."""
    folder = tmp_path_factory.mktemp("docs-examples")
    hwpfixture.write_sample(folder / "sample.hwp")
    hwpfixture.write_sample_hwpx(folder / "sample.hwpx")
    sections = [[paragraph for part in hwpfixture.sample_paragraphs() for paragraph in part]]
    (folder / "sample.hml").write_bytes(hwpfixture.hwpml.hwpml_bytes(sections, hwpfixture.sample_doc_info()))
    documents = folder / "documents"
    documents.mkdir()
    shutil.copy(folder / "sample.hwp", documents)
    shutil.copy(folder / "sample.hwpx", documents)
    corpus = [CORPUS_DIR / name for name in CORPUS_SAMPLES]
    corpus += [
        *sorted((CORPUS_DIR / "hwpml").glob("*.hml"))[:1],
        *sorted((CORPUS_DIR / "hwpx" / "real").glob("*.hwpx"))[:1],
    ]
    for path in corpus:
        if path.is_file():
            (documents / "shared").mkdir(exist_ok=True)
            shutil.copy(path, documents / "shared")
    return folder


@pytest.mark.parametrize(
    "page, example",
    [
        pytest.param(page, example, id=f"{page.relative_to(REPO_ROOT)}:{example.line}")
        for page, example in all_examples()
    ],
)
def test_example_runs(page, example, workspace, tmp_path, monkeypatch):
    if example.skip is not None:
        pytest.skip(example.skip)
    for name in sorted(set(IMPORT.findall(example.code)) & FRAMEWORKS.keys()):
        if "asan" in os.environ.get("LD_PRELOAD", ""):
            pytest.skip("the frameworks are not run under the sanitizer")
        pytest.importorskip(FRAMEWORKS[name])
    if "enable_plugins=True" in example.code and not any(
        point.name == "brindle" for point in entry_points(group="markitdown.plugin")
    ):
        pytest.skip("brindle is not installed here, so MarkItDown finds no plugin of it")
    folder = tmp_path / "example"
    shutil.copytree(workspace, folder)
    monkeypatch.chdir(folder)
    # Blank lines ahead of the code, so that a traceback gives the page's line numbers.
    code = compile("\n" * example.line + example.code, str(page), "exec")
    exec(code, {"__name__": "__main__"})


def test_the_readmes_links_into_the_manual_resolve():
    """The README links into docs/ by relative paths, which the site's strict build does
    not see: each must name a file of the tree (a page renamed or moved breaks one)."""
    text = (REPO_ROOT / "README.md").read_text(encoding="utf-8")
    targets = [t for t in re.findall(r"\]\(([^)\s]+)\)", text) if "://" not in t and not t.startswith("#")]
    assert targets
    missing = [t for t in targets if not (REPO_ROOT / t.partition("#")[0]).is_file()]
    assert missing == []
