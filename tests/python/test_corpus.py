"""hwp_debug_records over the real documents of ../shared/corpus (samples/ and
public/): each either lists its first section or fails with a documented message.
Skipped when the corpus is not beside the repository."""

from __future__ import annotations

import pytest

import _brindle
from conftest import CORPUS_DIR, ERROR_PREFIXES


def corpus_files():
    files = sorted(
        path
        for folder in ("samples", "public")
        for path in (CORPUS_DIR / folder).glob("*")
        if path.is_file()
    )
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


def test_password_protected_sample():
    path = CORPUS_DIR / "samples" / "password-12345.hwp"
    if not path.is_file():
        pytest.skip(f"{path} is absent")
    with pytest.raises(RuntimeError) as info:
        _brindle.hwp_debug_records(str(path))
    assert info.value.args == ("Password-protected HWP files are not supported",)
