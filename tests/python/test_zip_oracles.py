"""Our ZIP reader against two independent ones: libzip (through tools/zip_compare,
which reads every entry with both) and Python's zipfile. Every HWPX document of the
corpus and a set of generated archives, intact and damaged, are read by each; where an
archive opens, they must agree on every entry's bytes. Where one of them answers
otherwise on a damaged archive, the case is named in DISAGREEMENTS with why ours
answers as it does; any other disagreement fails."""

from __future__ import annotations

import io
import json
import os
import subprocess
import zipfile
import zlib
from pathlib import Path

import pytest

from conftest import CORPUS_DIR, REPO_ROOT
from hwpfixture import owpml
from hwpfixture.zipwriter import FLAG_DATA_DESCRIPTOR, ZipEntry, entries_of, zip_archive

TOOL = Path(os.environ.get("BRINDLE_ZIP_COMPARE", REPO_ROOT / "build" / "release" / "tools" / "zip_compare"))
pytestmark = pytest.mark.skipif(not TOOL.is_file(), reason=f"{TOOL} is not built")


def compare(paths: list[Path]) -> list[dict]:
    done = subprocess.run(
        [str(TOOL)], input="".join(f"{p}\n" for p in paths), capture_output=True, text=True, check=True
    )
    return [json.loads(line) for line in done.stdout.splitlines()]


def zipfile_entries(path: Path) -> dict[str, list[int] | None] | None:
    """Every entry zipfile reads, as [size, crc32] (None where reading it fails), or
    None when it cannot open the archive."""
    try:
        archive = zipfile.ZipFile(path)
    except (zipfile.BadZipFile, OSError, ValueError):
        return None
    out: dict[str, list[int] | None] = {}
    with archive:
        for info in archive.infolist():
            try:
                data = archive.read(info)
                out[info.filename] = [len(data), zlib.crc32(data)]
            except Exception:  # zipfile refuses damage in ways of its own
                out[info.filename] = None
    return out


def readable(entries: dict) -> dict[str, list[int]]:
    return {name: got for name, got in entries.items() if isinstance(got, list)}


PARTS = owpml.package_parts([["본문", "둘째"]])


def with_entry(name: str, **changes) -> list[ZipEntry]:
    entries = entries_of(PARTS)
    for e in entries:
        if e.name == name:
            for key, value in changes.items():
                setattr(e, key, value)
    return entries


GENERATED = {
    "plain": zip_archive(entries_of(PARTS)),
    "zip64": zip_archive(entries_of(PARTS), zip64=True),
    "data-descriptors": zip_archive(
        [ZipEntry(e.name, e.data, e.method, flags=FLAG_DATA_DESCRIPTOR) for e in entries_of(PARTS)]
    ),
    "stored": owpml.zip_bytes(PARTS, compress=False),
    "comment": zip_archive(entries_of(PARTS), comment=b"a comment after the end record"),
    "cut-in-the-directory": zip_archive(entries_of(PARTS))[:-60],
    "entry-past-end": zip_archive(with_entry("Contents/header.xml", compressed_size=10**9)),
    "bad-crc": zip_archive(with_entry("Contents/section0.xml", crc=7)),
    "overlapping": zip_archive(with_entry("version.xml", local_offset=0)),
    "corrupt-deflate": zip_archive(with_entry("Contents/section0.xml", raw=b"\x07\x00\x01")),
    "size-lies": zip_archive(with_entry("Contents/section0.xml", size=5)),
}

# Where another reader answers otherwise, and why ours answers as it does.
DISAGREEMENTS = {
    # zipfile checks no overlap: it reads the local header at the offset given,
    # here the mimetype's, and answers with those bytes.
    ("overlapping", "zipfile"): "entries sharing bytes are refused (a known zip-bomb construction)",
}


def test_corpus_archives_read_alike():
    paths = sorted((CORPUS_DIR / "hwpx").glob("**/*.hwpx"))
    if not paths:
        pytest.skip("the HWPX corpus is absent")
    for report in compare(paths):
        ours, theirs = report["ours"], report["libzip"]
        assert ours["open"] is None and theirs["open"] is None, report["file"]
        assert ours["entries"] == theirs["entries"] == zipfile_entries(Path(report["file"])), report["file"]


@pytest.mark.parametrize("name", sorted(GENERATED))
def test_generated_archives_read_alike(name, tmp_path):
    path = tmp_path / f"{name}.zip"
    path.write_bytes(GENERATED[name])
    report = compare([path])[0]
    ours = report["ours"]
    ours_read = readable(ours["entries"]) if ours["open"] is None else {}
    for oracle, answer in (("libzip", report["libzip"]), ("zipfile", {"entries": zipfile_entries(path)})):
        entries = answer.get("entries") if answer.get("open") is None else None
        theirs = readable(entries) if entries else {}
        if (name, oracle) in DISAGREEMENTS:
            assert ours_read != theirs
            continue
        # Every entry one of us reads, the other reads to the same bytes.
        common = set(ours_read) & set(theirs)
        assert all(ours_read[n] == theirs[n] for n in common), (oracle, ours_read, theirs)
        assert set(ours_read) <= set(theirs), (oracle, set(ours_read) - set(theirs))


def test_python_zipfile_archives_are_read():
    # Archives written by zipfile itself, ZIP64 forced.
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        for name, data in PARTS.items():
            with archive.open(name, "w", force_zip64=True) as entry:
                entry.write(data)
    import brindle

    assert brindle.convert(out.getvalue()) == "본문\n\n둘째"
