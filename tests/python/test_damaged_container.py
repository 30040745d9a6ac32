"""Compound files whose directory links are damaged: an entry reached twice, a
link back to the root, a storage pointing at itself. Each call either answers
as for a readable container or raises a documented error; never a crash."""

from __future__ import annotations

import itertools

import pytest

import _brindle
from hwpfixture import compound_file_bytes, hwp_streams, relink_directory_entry, section

# Entries as the writer numbers them: root, BodyText, DocInfo, FileHeader, Section0.
ENTRIES = range(5)
LINKS = ("left", "right", "child")


@pytest.fixture(scope="module")
def intact() -> bytes:
    return compound_file_bytes(hwp_streams([section("a")]))


@pytest.mark.parametrize("entry,link", list(itertools.product(ENTRIES, LINKS)))
def test_relinked_entries_never_crash(tmp_path, intact, entry, link):
    for target in ENTRIES:
        path = tmp_path / f"{entry}-{link}-{target}.hwp"
        path.write_bytes(relink_directory_entry(intact, entry, link, target))
        for call in (_brindle.hwp_to_markdown, _brindle.hwp_debug_records):
            try:
                result = call(str(path))
            except RuntimeError as error:
                assert str(error).startswith("Compound file error: "), (target, error)
            else:
                # What can still be read is read as it stands.
                assert result in ("a", "") if call is _brindle.hwp_to_markdown else isinstance(result, list)


def test_the_intact_file_converts(tmp_path, intact):
    path = tmp_path / "intact.hwp"
    path.write_bytes(intact)
    assert _brindle.hwp_to_markdown(str(path)) == "a"
