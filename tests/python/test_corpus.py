"""Both functions over the real documents of ../shared/corpus (samples/ and public/):
each document either lists its first section and converts to Markdown, or fails with
a documented message; the named samples give the constructs they visibly hold.
Skipped when the corpus is not beside the repository."""

from __future__ import annotations

import re

import pytest

import _brindle
from conftest import BOTH_FUNCTIONS, CORPUS_DIR, ERROR_PREFIXES, corpus_documents


def corpus_files():
    files = corpus_documents()
    if not files:
        return [pytest.param(None, marks=pytest.mark.skip(reason=f"no corpus at {CORPUS_DIR}"))]
    return [pytest.param(path, id=f"{path.parent.name}/{path.name}") for path in files]


@pytest.mark.parametrize("path", corpus_files())
def test_corpus_document(path):
    try:
        result = _brindle.hwp_debug_records(str(path))
    except RuntimeError as error:
        assert len(error.args) == 1
        message = error.args[0]
        assert message.startswith(ERROR_PREFIXES) and message == message.rstrip()
        return
    assert type(result) is list
    for entry in result:
        assert type(entry) is tuple and len(entry) == 3 and all(type(v) is int for v in entry)
        tag, level, size = entry
        assert 0 <= tag <= 1023 and 0 <= level <= 1023 and size >= 0
    # A body section opens with a paragraph header, and a record is nested at most
    # one level deeper than the one before it.
    assert result and result[0][:2] == (66, 0)
    assert all(level <= before + 1 for (_, before, _), (_, level, _) in zip(result, result[1:]))
    # DEFLATE expands at most 1032-fold, and a section lies within the file.
    assert sum(size for _, _, size in result) <= 1032 * path.stat().st_size


def sample(name: str) -> str:
    path = CORPUS_DIR / "samples" / name
    if not path.is_file():
        pytest.skip(f"{path} is absent")
    return str(path)


@BOTH_FUNCTIONS
def test_password_protected_sample(fn):
    with pytest.raises(RuntimeError) as info:
        fn(sample("password-12345.hwp"))
    assert info.value.args == ("Password-protected HWP files are not supported",)


# The characters trimmed from the end of the Markdown (Unicode White_Space).
WHITE_SPACE = frozenset(
    "\t\n\v\f\r \x85\xa0\u1680\u2028\u2029\u202f\u205f\u3000" + "".join(map(chr, range(0x2000, 0x200B)))
)
# A conversion fails only while opening the file or checking its header.
CONVERSION_FAILURES = (
    "Invalid HWP signature",
    "Parse error: FileHeader too short",
    "Password-protected HWP files are not supported",
)


@pytest.mark.parametrize("path", corpus_files())
def test_corpus_conversion(path):
    try:
        markdown = _brindle.hwp_to_markdown(str(path))
    except RuntimeError as error:
        assert len(error.args) == 1
        message = error.args[0]
        assert message in CONVERSION_FAILURES or (
            message.startswith(("IO error: ", "Compound file error: ")) and message == message.rstrip()
        )
        # The record listing opens and checks the document the same way.
        with pytest.raises(RuntimeError) as listing:
            _brindle.hwp_debug_records(str(path))
        assert listing.value.args == error.args
        return
    assert type(markdown) is str
    markdown.encode("utf-8")  # no lone surrogates
    assert markdown == "" or markdown[-1] not in WHITE_SPACE


TABLE = r"^\|.*\|\n\|(---\|)+$"  # a row line followed by the delimiter line
IMAGE = r"^\[이미지(: [^\]\n]+)?\]$"
FIELD = r"\{\{[^{}\n]+\}\}"

# name: (patterns the Markdown matches, texts it does not hold)
SAMPLES = {
    "table.hwp": ([TABLE], []),
    # Each table's caption ("표 1 위 캡션" and so on) is in no cell.
    "table-caption.hwp": ([TABLE], ["캡션"]),
    "merging-cell.hwp": ([TABLE, r"^\|0,0\|0,1\|", r"\|6,6\|$"], []),
    "borderfill.hwp": ([TABLE], []),
    "changing-image.hwp": ([TABLE, IMAGE], []),
    "sample-5017.hwp": ([TABLE, IMAGE], []),
    "sample-5017-pics.hwp": ([IMAGE], []),
    "shapepict-scaled.hwp": ([IMAGE], []),
    # Fields in body paragraphs and one inside a table cell.
    "getting_clickhere_text.hwp": ([FIELD, TABLE, IMAGE, r"^\|.*" + FIELD + r".*\|$"], []),
    "setting-fields.hwp": ([FIELD], []),
    "finding-all-field.hwp": ([FIELD], []),
    # A text box with a caption: its text only.
    "textbox.hwp": ([r"\A글상자\Z"], ["캡션"]),
    # Header, footer, footnote and endnote text is not body text.
    "headerfooter.hwp": ([r"^첫 페이지$"], ["머리말", "꼬리말", "Header", "Footer"]),
    "footnote-endnote.hwp": (
        [r"^각주참조$", r"^미주참조$"],
        ["각주입니다", "미주입니다", "두 번째"],
    ),
    # Two sections, one paragraph each.
    "pagedefs.hwp": ([r"\ASection 1: A4 portrait\n\nSection 2: A4 landscape\Z"], []),
}


@pytest.mark.parametrize("name, patterns, absent", [(n, *v) for n, v in SAMPLES.items()], ids=SAMPLES.keys())
def test_sample_constructs(name, patterns, absent):
    markdown = _brindle.hwp_to_markdown(sample(name))
    for pattern in patterns:
        assert re.search(pattern, markdown, re.MULTILINE), pattern
    for text in absent:
        assert text not in markdown
