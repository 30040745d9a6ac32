"""Every corpus document converts and lists exactly as recorded in
tests/data/corpus_digests.tsv: the same Markdown and record listing (by digest), or
an error of the same kind. Skipped when the corpus is not beside the repository."""

from __future__ import annotations

import pytest

import _brindle
from conftest import CORPUS_DIR, corpus_documents
from corpus_digests import outcome, read_table, same_outcome

RECORDED = read_table()


def documents():
    files = corpus_documents()
    if not files:
        return [pytest.param(None, marks=pytest.mark.skip(reason=f"no corpus at {CORPUS_DIR}"))]
    return [pytest.param(path, id=path.relative_to(CORPUS_DIR).as_posix()) for path in files]


@pytest.mark.parametrize("path", documents())
def test_output_unchanged(path):
    name = path.relative_to(CORPUS_DIR).as_posix()
    if name not in RECORDED:
        pytest.skip(f"{name} was added to the corpus after the digests were recorded")
    markdown, records = RECORDED[name]
    assert same_outcome(markdown, outcome(_brindle.hwp_to_markdown, str(path)))
    assert same_outcome(records, outcome(_brindle.hwp_debug_records, str(path)))
