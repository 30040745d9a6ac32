"""Our compound-file reader against two independent ones: libgsf's (through the
tools/cfb_compare program, which reads the same streams with both) and olefile's.
Every corpus document and a set of generated containers, intact and damaged, are
opened and read by each; they must agree on success or failure and on the bytes of
every stream. Where libgsf answers otherwise on a damaged file, the case is named in
DISAGREEMENTS with the answer MS-CFB supports; any other disagreement fails."""

from __future__ import annotations

import json
import os
import subprocess
import zlib
from pathlib import Path

import olefile
import pytest

import hwpfixture as hwp
from conftest import CORPUS_DIR, REPO_ROOT, corpus_documents
from hwpfixture import hostile

TOOL = Path(os.environ.get("BRINDLE_CFB_COMPARE", REPO_ROOT / "build" / "release" / "tools" / "cfb_compare"))
pytestmark = pytest.mark.skipif(not TOOL.is_file(), reason=f"{TOOL} is not built")

STANDARD_PATHS = ["/FileHeader", "/DocInfo", *(f"/BodyText/Section{n}" for n in range(4)), "/Nothing"]


def compare(requests: list[tuple[Path, list[str]]]) -> list[dict]:
    lines = "".join("\t".join([str(path), *paths]) + "\n" for path, paths in requests)
    done = subprocess.run([str(TOOL)], input=lines, capture_output=True, text=True, check=True)
    return [json.loads(line) for line in done.stdout.splitlines()]


def differences(report: dict) -> list[str]:
    """Where the two readers part: opening, or a stream read (both failing agrees)."""
    ours, gsf = report["ours"], report["gsf"]
    if (ours["open"] is None) != (gsf["open"] is None):
        return ["open"]
    if ours["open"] is not None:
        return []
    return [
        path
        for path, got in ours["streams"].items()
        if (isinstance(got, list) or isinstance(gsf["streams"][path], list)) and got != gsf["streams"][path]
    ]


def olefile_streams(path: Path) -> dict[str, list[int]] | None:
    """Every stream olefile lists, as [size, crc32], or None when it refuses the file."""
    try:
        with olefile.OleFileIO(str(path)) as ole:
            names = ole.listdir(streams=True, storages=False)
            out = {}
            for parts in names:
                data = ole.openstream(parts).read()
                out["/" + "/".join(parts)] = [len(data), zlib.crc32(data)]
            return out
    except Exception:  # olefile refuses damaged files in ways of its own
        return None


# The corpus: libgsf, olefile and we read every stream alike.
def test_corpus_documents_agree_with_both_readers():
    documents = corpus_documents()
    if not documents:
        pytest.skip(f"no corpus at {CORPUS_DIR}")
    listings = {path: olefile_streams(path) for path in documents}
    requests = [(p, sorted(set(STANDARD_PATHS) | set(listings[p] or ()))) for p in documents]
    problems = []
    for (path, _), report in zip(requests, compare(requests)):
        if differences(report):
            problems.append(f"{path.name}: libgsf differs at {differences(report)}")
        if listings[path] is not None:
            ours = {p: s for p, s in report["ours"]["streams"].items() if isinstance(s, list)}
            if set(report["ours"]["listing"]) != set(listings[path]):
                problems.append(f"{path.name}: olefile lists other streams")
            problems += [
                f"{path.name}: olefile reads {p} otherwise" for p, s in listings[path].items() if ours.get(p) != s
            ]
    assert not problems


def _intact() -> bytes:
    return hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("a"), hwp.Stored(b"R" * 9000)], compressed=True))


def _intact_v4() -> bytes:
    return hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("a"), hwp.Stored(b"R" * 9000)]), version=4)


def cases() -> dict[str, bytes]:
    """Containers the fixture writer makes: intact ones of each kind, then damage."""
    intact, v4 = _intact(), _intact_v4()
    regular = "/BodyText/Section1"  # 9000 bytes: regular sectors
    mini = "/FileHeader"  # under the cutoff: the mini stream
    return {
        "intact-v3": intact,
        "intact-v4": v4,
        "many-sections": hostile.many_sections_document(3000),
        "many-entries": hostile.many_entries_container(5000, streams=True),
        "empty-file": b"",
        "text-file": b"not a compound file at all\n" * 40,
        "header-only": intact[:512],
        "truncated-in-directory": hwp.truncated(intact, 512 + 512 + 100),
        "truncated-in-regular-stream": hwp.truncated(intact, -700),
        "fat-chain-loops": hwp.loop_fat_chain(intact, regular),
        "directory-chain-loops": hwp.loop_fat_chain(intact, "directory"),
        "mini-fat-chain-loops": hwp.loop_mini_fat_chain(intact, mini),
        "fat-entry-past-end": hwp.fat_entry_past_end(intact, regular, beyond=50),
        "start-sector-past-end": hwp.start_sector_past_end(intact, regular, beyond=50),
        "mini-start-past-mini-stream": hwp.start_sector_past_end(intact, mini, beyond=10),
        "difat-entry-past-end": hwp.difat_entry_past_end(intact, 0, beyond=50),
        "size-past-end": hwp.stream_size_past_end(intact, regular),
        "child-links-to-parent": hwp.link_child_to_parent(intact, "/BodyText"),
        "sibling-links-to-ancestor": hwp.link_sibling_to_ancestor(intact, "/BodyText/Section0", "right", 1),
        "root-links-to-itself": hwp.relink_entry(intact, "/", "child", 0),
        "bad-byte-order": hwp.damage_header(intact, "byte_order", 0xFEFF),
        "bad-sector-shift": hwp.damage_header(intact, "sector_shift", 10),
        "bad-mini-sector-shift": hwp.damage_header(intact, "mini_sector_shift", 7),
        "bad-mini-cutoff": hwp.damage_header(intact, "mini_stream_cutoff", 8192),
        "bad-major-version": hwp.damage_header(intact, "major_version", 5),
        "v4-truncated": hwp.truncated(v4, -2000),
    }


# Cases where libgsf answers otherwise, each with where the two part and why ours
# is the answer MS-CFB supports. The test fails if a named case stops disagreeing
# or disagrees elsewhere, so the list stays true.
SECTIONS = ["/BodyText/Section0", "/BodyText/Section1"]
DISAGREEMENTS = {
    "bad-byte-order": (["open"], "the byte order mark is fixed at 0xFFFE; libgsf does not check it"),
    "bad-mini-cutoff": (["open"], "the mini stream cutoff is fixed at 4096; libgsf takes the header's word for it"),
    "bad-mini-sector-shift": (["open"], "mini sectors are 64 bytes; libgsf accepts any shift up to the sector's"),
    "bad-major-version": (["open"], "only versions 3 and 4 exist; libgsf does not read the version"),
    "directory-chain-loops": (
        ["open"],
        "a chain ends with ENDOFCHAIN; the directory's loops back on itself, so where it ends "
        "is not defined, and libgsf reads the sectors it reached before the loop as if it ended there",
    ),
    "size-past-end": (
        ["/BodyText/Section0"],
        "a stream whose size exceeds the file is unreadable, but its siblings are entries of their own; "
        "libgsf drops the bad entry together with every sibling reached through it",
    ),
    "sibling-links-to-ancestor": (
        SECTIONS,
        "siblings form a tree; a link back to an ancestor makes the storage's tree a cycle, so which "
        "entries it holds is not defined, and libgsf silently skips the repeated entry",
    ),
}


@pytest.fixture(scope="module")
def reports(tmp_path_factory) -> dict[str, dict]:
    folder = tmp_path_factory.mktemp("containers")
    requests = []
    for name, data in cases().items():
        path = folder / f"{name}.hwp"
        path.write_bytes(data)
        listing = olefile_streams(path) or {}
        requests.append((path, sorted(set(STANDARD_PATHS) | set(listing))))
    return {Path(r["file"]).stem: r for r in compare(requests)}


@pytest.mark.parametrize("name", list(cases()))
def test_generated_container_against_libgsf(reports, name):
    report = reports[name]
    for reader in ("ours", "gsf"):  # a failure is always one of the container's kinds
        opened = report[reader]["open"]
        assert opened is None or opened["kind"] in ("CompoundFile", "Io"), (reader, opened)
    expected, _why = DISAGREEMENTS.get(name, ([], ""))
    assert differences(report) == expected, (name, report)


@pytest.mark.parametrize("name", ["intact-v3", "intact-v4", "many-sections", "many-entries"])
def test_generated_container_against_olefile(reports, tmp_path, name):
    path = tmp_path / f"{name}.hwp"
    path.write_bytes(cases()[name])
    expected = olefile_streams(path)
    assert expected
    report = reports[name]
    assert set(report["ours"]["listing"]) == set(expected)
    assert {p: report["ours"]["streams"][p] for p in expected} == expected
