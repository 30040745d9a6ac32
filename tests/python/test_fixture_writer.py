"""The fixture writer against olefile, an independent compound-file reader: what it
writes (versions 3 and 4, mini and regular streams, DIFAT sectors) reads back entry
for entry, the hostile builders hold what they say, and each damage helper breaks
exactly the structure it names. Then the records, read back by a small reader here:
DocInfo's numberings, bullets, paragraph shapes and styles, tables with merged cells
and captions, and the controls of notes, headers, hyperlinks and auto numbers."""

from __future__ import annotations

import logging
import math
import struct
import time

import olefile
import pytest

import hwpfixture as hwp
from hwpfixture import cfb, hostile

logging.getLogger("olefile").setLevel(logging.CRITICAL)  # damaged files are expected

STRICT = olefile.DEFECT_UNSURE  # every defect olefile knows of raises
NAMES = ["a", "A1", "가나다", "é", "x" * 31, "Section10", "Section9", "ß"]


def opened(data: bytes, strict: bool = True) -> olefile.OleFileIO:
    return olefile.OleFileIO(data, raise_defects=STRICT if strict else olefile.DEFECT_FATAL)


def mixed_streams() -> dict[str, bytes]:
    sizes = [0, 1, 63, 64, 65, 4095, 4096, 4097, 70000]
    streams = {f"/S{n}/{name}": bytes([n]) * n * 7 for n, name in enumerate(NAMES)}
    streams.update({f"/sizes/L{size}": bytes(range(256)) * (size // 256) + b"t" * (size % 256) for size in sizes})
    return streams


@pytest.mark.parametrize("version", [3, 4])
def test_olefile_reads_every_stream(version):
    streams = mixed_streams()
    storages = ["/empty", "/S0/deeper/deepest"]
    data = hwp.compound_file_bytes(streams, storages, version=version)
    ole = opened(data)
    assert ole.sector_size == cfb.SECTOR_SIZES[version] and ole.dll_version == version
    assert {"/" + "/".join(p) for p in ole.listdir()} == set(streams)
    for path, content in streams.items():
        assert ole.openstream(path[1:]).read() == content, path
        assert hwp.read_layout(data).stream_bytes(path) == content
    assert {"/" + "/".join(p) for p in ole.listdir(streams=False, storages=True)} >= set(storages)
    # Streams under the cutoff, each padded to whole mini sectors, are the mini stream.
    small = [len(d) for d in streams.values() if 0 < len(d) < cfb.MINI_STREAM_CUTOFF]
    assert ole.root.size == sum(-(-n // 64) * 64 for n in small)
    entries = 1 + len(ole.listdir(storages=True))
    directory_sectors = math.ceil(entries * 128 / cfb.SECTOR_SIZES[version])
    assert ole.num_dir_sectors == (directory_sectors if version == 4 else 0)


def black_height(ole: olefile.OleFileIO, sid: int, keys: list) -> int:
    """Walks the sibling tree under `sid` in order, appending each name's sort key;
    the number of black entries on every path down, checked equal."""
    if sid == olefile.NOSTREAM:
        return 1
    entry = ole.direntries[sid]
    left = black_height(ole, entry.sid_left, keys)
    keys.append(cfb.name_sort_key(entry.name))
    right = black_height(ole, entry.sid_right, keys)
    assert left == right, entry.name
    if entry.color == cfb.RED:
        for child in (entry.sid_left, entry.sid_right):
            assert child == olefile.NOSTREAM or ole.direntries[child].color == cfb.BLACK
    return left + (entry.color == cfb.BLACK)


def test_sibling_trees_are_ordered_red_black_trees():
    counts = [1, 2, 3, 4, 5, 7, 8, 9, 16, 31, 33, 1000]
    streams = {f"/T{count}/n{k:x}{'é' * (k % 3)}": b"" for count in counts for k in range(count)}
    ole = opened(hwp.compound_file_bytes(streams))
    for count in [len(counts)] + counts:
        storage = ole.root if count == len(counts) else ole.direntries[ole._find(f"T{count}")]
        keys: list = []
        black_height(ole, storage.sid_child, keys)
        assert ole.direntries[storage.sid_child].color == cfb.BLACK
        assert len(keys) == count and keys == sorted(keys) and len(set(keys)) == count


def difat_file(version: int) -> tuple[bytes, dict[str, bytes]]:
    """A file needing more FAT sectors than the header lists (two DIFAT sectors in
    version 3), with streams on both sides of the big one."""
    per_sector = cfb.SECTOR_SIZES[version] // 4
    fat_sectors = cfb.HEADER_DIFAT_SLOTS + (per_sector - 1 if version == 3 else 0) + 8
    size = fat_sectors * per_sector * cfb.SECTOR_SIZES[version]
    big = bytes(size) if version == 4 else bytes(range(251)) * (size // 251)
    streams = {"/a": b"x" * 5000, "/big": big, "/zz": b"z" * 9000, "/zzz": b"mini"}
    return hwp.compound_file_bytes(streams, version=version), streams


@pytest.fixture(scope="module")
def difat3() -> tuple[bytes, dict[str, bytes]]:
    return difat_file(3)


def difat_chain(data: bytes, ole: olefile.OleFileIO) -> list[int]:
    sectors, sector = [], ole.first_difat_sector
    while sector != cfb.ENDOFCHAIN and len(sectors) <= ole.num_difat_sectors:
        sectors.append(sector)
        sector = struct.unpack_from("<I", data, (sector + 2) * ole.sector_size - 4)[0]
    return sectors


def check_difat(data: bytes, streams: dict[str, bytes], version: int) -> None:
    ole = opened(data)
    assert ole.num_fat_sectors > cfb.HEADER_DIFAT_SLOTS and ole.num_difat_sectors >= (2 if version == 3 else 1)
    chain = difat_chain(data, ole)
    assert len(chain) == ole.num_difat_sectors
    assert all(ole.fat[s] == cfb.DIFSECT for s in chain)
    for path, content in streams.items():
        if version == 3 or len(content) < 1 << 20:
            assert ole.openstream(path[1:]).read() == content, path
        assert ole.get_size(path[1:]) == len(content)


def test_difat_sectors_version_3(difat3):
    check_difat(*difat3, version=3)


@pytest.mark.slow
def test_difat_sectors_version_4():
    check_difat(*difat_file(4), version=4)


def test_many_sections_document():
    count = 1500
    ole = opened(hostile.many_sections_document(count))
    paths = {"/".join(p) for p in ole.listdir()}
    assert paths == {"FileHeader", "DocInfo"} | {f"BodyText/Section{n}" for n in range(count)}
    for n in (0, 7, count - 1):
        assert hwp.inflate_raw(ole.openstream(f"BodyText/Section{n}").read()) == hwp.section(f"s{n}")
    assert struct.unpack_from("<H", hwp.doc_info(70000), 4)[0] == 0xFFFF


@pytest.mark.parametrize("streams", [False, True])
def test_many_entries_container(streams):
    count = 2500
    ole = opened(hostile.many_entries_container(count, sections=2, streams=streams))
    assert 1 + len(ole.listdir(storages=True)) == count
    assert hwp.inflate_raw(ole.openstream("BodyText/Section1").read()) == hwp.section("s1")
    if streams:
        assert ole.openstream(f"Extra/E{count - 8}").read() == f"e{count - 8}".encode()


def test_writing_time_grows_linearly():
    def seconds(count: int) -> float:
        start = time.perf_counter()
        hostile.many_entries_container(count, streams=True)
        return time.perf_counter() - start

    # Sixteen times the entries: a linear writer takes about 16 to 24 times as long
    # (caches grow less effective), a quadratic one 256 times.
    small = min(seconds(5_000) for _ in range(3))
    assert seconds(80_000) < 64 * small


# --- damage helpers ---------------------------------------------------------------------

BIG_SECTION = hwp.Stored(b"R" * 9000)  # regular sectors; Section1 is in the mini stream
INTACT = hwp.compound_file_bytes(hwp.hwp_streams([BIG_SECTION, hwp.section("b" * 40)], compressed=False))


def only_change(damaged: bytes, width: int = 4, intact: bytes = INTACT) -> None:
    """The damage changed bytes of one field of `width` bytes at most."""
    assert len(damaged) == len(intact)
    block = 4096  # compared a block at a time, then byte by byte where blocks differ
    changed = [
        i
        for at in range(0, len(intact), block)
        if intact[at : at + block] != damaged[at : at + block]
        for i in range(at, min(at + block, len(intact)))
        if intact[i] != damaged[i]
    ]
    assert changed and changed[-1] - changed[0] < width


def chain(table, first: int) -> list[int]:
    out = []
    while first != cfb.ENDOFCHAIN:
        out.append(first)
        first = table[first]
    return out


def tables(data: bytes) -> tuple[list[int], list[int]]:
    ole = opened(data, strict=False)
    ole.loadminifat()
    return list(ole.fat), list(ole.minifat)


@pytest.mark.parametrize(
    "damage,chain_of,mini,next_of",
    [
        (hwp.loop_fat_chain, "BodyText/Section0", False, lambda c, end: {c[-1]: c[0]}),
        (lambda d: hwp.loop_fat_chain(d, "directory"), None, False, lambda c, end: {c[-1]: c[0]}),
        (hwp.fat_entry_past_end, "BodyText/Section0", False, lambda c, end: {c[0]: end}),
        (
            lambda d: hwp.loop_mini_fat_chain(d, "/BodyText/Section1", at=1),
            "BodyText/Section1",
            True,
            lambda c, end: {c[1]: c[0]},
        ),
        (
            lambda d: hwp.mini_fat_entry_past_end(d, "/BodyText/Section1"),
            "BodyText/Section1",
            True,
            lambda c, end: {c[0]: end},
        ),
    ],
)
def test_chain_damage_changes_one_table_entry(damage, chain_of, mini, next_of):
    ole = opened(INTACT)
    damaged = damage(INTACT)
    only_change(damaged)
    before, after = tables(INTACT)[mini], tables(damaged)[mini]
    first = ole.first_dir_sector if chain_of is None else ole.direntries[ole._find(chain_of)].isectStart
    end = math.ceil(ole.root.size / 64) if mini else ole.nb_sect
    assert {i: after[i] for i in range(len(before)) if after[i] != before[i]} == next_of(chain(before, first), end)


def test_directory_damage():
    ole = opened(INTACT)
    sid = {path: ole._find(path) for path in ("BodyText", "FileHeader", "BodyText/Section0", "BodyText/Section1")}
    tree_parent = next(e.sid for e in ole.direntries if e and sid["FileHeader"] in (e.sid_left, e.sid_right))
    cases = [
        (hwp.link_child_to_parent(INTACT, "/BodyText"), "BodyText", "sid_child", 0),
        (hwp.link_sibling_to_ancestor(INTACT, "/FileHeader"), "FileHeader", "sid_right", tree_parent),
        (hwp.link_sibling_to_ancestor(INTACT, "/FileHeader", "left", 2), "FileHeader", "sid_left", 0),
        (
            hwp.relink_entry(INTACT, "/BodyText/Section1", "left", "/BodyText"),
            "BodyText/Section1",
            "sid_left",
            sid["BodyText"],
        ),
        (hwp.start_sector_past_end(INTACT), "BodyText/Section0", "isectStart", ole.nb_sect),
        (
            hwp.start_sector_past_end(INTACT, "/BodyText/Section1", 3),
            "BodyText/Section1",
            "isectStart",
            ole.root.size // 64 + 3,
        ),
        (hwp.stream_size_past_end(INTACT), "BodyText/Section0", "size", len(INTACT) + 1),
        (hwp.set_stream_size(INTACT, "/BodyText/Section1", 70000), "BodyText/Section1", "size", 70000),
    ]
    for damaged, path, field, value in cases:
        only_change(damaged, 8 if field == "size" else 4)
        assert getattr(opened(damaged, strict=False).direntries[sid[path]], field) == value, (path, field)
        with pytest.raises(Exception):
            reread = opened(damaged)  # olefile notices every one of these
            reread.openstream(path).read()


def test_difat_damage(difat3):
    data, _ = difat3
    ole = opened(data)
    first, *_, last = difat_chain(data, ole)
    looped = hwp.loop_difat_chain(data)
    only_change(looped, intact=data)
    assert struct.unpack_from("<I", looped, (last + 2) * ole.sector_size - 4)[0] == first
    with pytest.raises(OSError):
        opened(looped)
    for slot, at in [(0, 0x4C), (cfb.HEADER_DIFAT_SLOTS + 1, (first + 1) * ole.sector_size + 4)]:
        damaged = hwp.difat_entry_past_end(data, slot)
        only_change(damaged, intact=data)
        assert struct.unpack_from("<I", damaged, at)[0] == ole.nb_sect
        with pytest.raises(Exception):
            opened(damaged)
    with pytest.raises(ValueError):
        hwp.loop_difat_chain(INTACT)  # no DIFAT sectors to loop


OLEFILE_HEADER_NAMES = {
    "minor_version": "minor_version",
    "major_version": "dll_version",
    "byte_order": "byte_order",
    "sector_shift": "sector_shift",
    "mini_sector_shift": "mini_sector_shift",
    "directory_sectors": "num_dir_sectors",
    "fat_sectors": "num_fat_sectors",
    "first_directory_sector": "first_dir_sector",
    "mini_stream_cutoff": "mini_stream_cutoff_size",
    "first_mini_fat_sector": "first_mini_fat_sector",
    "mini_fat_sectors": "num_mini_fat_sectors",
    "first_difat_sector": "first_difat_sector",
    "difat_sectors": "num_difat_sectors",
}


@pytest.mark.parametrize("version", [3, 4])
def test_header_damage(version):
    data = hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("a")]), version=version)
    ole = opened(data)
    assert set(hwp.HEADER_FIELDS) == set(OLEFILE_HEADER_NAMES)
    for name, attribute in OLEFILE_HEADER_NAMES.items():
        offset, fmt = hwp.HEADER_FIELDS[name]
        assert struct.unpack_from(fmt, data, offset)[0] == getattr(ole, attribute), name
    checked = ["byte_order", "sector_shift", "mini_sector_shift", "mini_stream_cutoff", "major_version"]
    for name in checked + (["directory_sectors"] if version == 3 else []):  # 0 in version 3
        damaged = hwp.damage_header(data, name, getattr(ole, OLEFILE_HEADER_NAMES[name]) + 1)
        only_change(damaged, intact=data)
        with pytest.raises(OSError):
            opened(damaged)


def test_truncation_and_refusals():
    cut = hwp.truncated(INTACT, -512)
    assert cut == INTACT[:-512]
    with pytest.raises(OSError):
        opened(cut).openstream("BodyText/Section0").read()
    with pytest.raises(ValueError):
        hwp.loop_fat_chain(INTACT, "/BodyText/Section1")  # in the mini stream
    with pytest.raises(ValueError):
        hwp.loop_mini_fat_chain(INTACT, "/BodyText/Section0")  # in regular sectors


# --- body and DocInfo records --------------------------------------------------------------


def read_records(data: bytes) -> list[tuple[int, int, bytes]]:
    """(tag, level, payload) of each record: a u32 header of tag (bits 0-9), level
    (10-19) and size (20-31), a u32 size after it when the size is 0xFFF."""
    out, pos = [], 0
    while pos < len(data):
        (header,) = struct.unpack_from("<I", data, pos)
        size, pos = header >> 20, pos + 4
        if size == 0xFFF:
            (size,), pos = struct.unpack_from("<I", data, pos), pos + 4
        out.append((header & 0x3FF, header >> 10 & 0x3FF, data[pos : pos + size]))
        pos += size
    assert pos == len(data)
    return out


def utf16_at(data: bytes, pos: int) -> tuple[str, int]:
    """A u16 length in units and the UTF-16LE text after it; the position past it."""
    (count,) = struct.unpack_from("<H", data, pos)
    return data[pos + 2 : pos + 2 + 2 * count].decode("utf-16-le"), pos + 2 + 2 * count


def test_doc_info_records():
    info = hwp.DocInfo(
        numberings=[hwp.Numbering(), hwp.Numbering(["^1)", "(^2)"], ["ROMAN", "甲乙丙"], 3, range(1, 8))],
        bullets=["●"],
        para_shapes=[
            hwp.ParaShape(),
            hwp.ParaShape(head="number", level=1, numbering=2),
            hwp.ParaShape(head="bullet", bullet=1),
            hwp.ParaShape(head="outline", level=6, extended=True),
        ],
        styles=[hwp.Style("바탕글", "Normal"), hwp.Style("개요 7", "Outline 7", para_shape=3)],
    )
    streams = hwp.hwp_streams([hwp.section("a"), None, hwp.section("b")], doc_info=info)
    records = read_records(hwp.inflate_raw(streams["/DocInfo"]))
    mapped = [23, 23, 24, 25, 25, 25, 25, 26, 26]  # one level under ID_MAPPINGS
    assert [(t, lv) for t, lv, _ in records] == [(16, 0), (17, 0)] + [(t, 1) for t in mapped]
    assert struct.unpack_from("<H", records[0][2])[0] == 2  # the gap is no section
    assert struct.unpack("<18i", records[1][2]) == (0,) * 11 + (2, 1, 4, 2) + (0,) * 3

    def levels(payload: bytes) -> tuple[list, bytes]:
        out, pos = [], 0
        for _ in range(7):
            attributes, _, distance, char_shape = struct.unpack_from("<IHHI", payload, pos)
            text, pos = utf16_at(payload, pos + 12)
            out.append((text, attributes >> 5 & 0xF, distance, char_shape))
        return out, payload[pos:]

    outline, rest = levels(records[2][2])
    assert [(t, s) for t, s, *_ in outline] == [
        ("^1.", 0),
        ("^2.", 8),
        ("^3)", 0),
        ("^4)", 8),
        ("(^5)", 0),
        ("(^6)", 8),
        ("^7", 1),
    ]
    assert {tuple(x) for _, _, *x in outline} == {(50, 0xFFFFFFFF)} and rest == struct.pack("<H", 1)
    second, rest = levels(records[3][2])
    # 甲乙丙 (16) does not fit the four-bit shape field: clipped to 갑을병 (15).
    assert [(t, s) for t, s, *_ in second[:3]] == [("^1)", 2), ("(^2)", 15), ("^3)", 0)]
    assert rest == struct.pack("<H7I", 3, *range(1, 8))
    assert len(records[4][2]) == 14 and records[4][2][12:].decode("utf-16-le") == "●"
    heads = []
    for _, _, shape in records[5:9]:
        (attributes,) = struct.unpack_from("<I", shape)
        head_id = struct.unpack_from("<H", shape, 30)[0]
        heads.append((len(shape), attributes >> 23 & 3, attributes >> 25 & 7, head_id))
    assert heads == [(46, 0, 0, 0), (46, 2, 1, 2), (46, 3, 0, 1), (54, 1, 6, 0)]
    name, pos = utf16_at(records[10][2], 0)
    english, pos = utf16_at(records[10][2], pos)
    assert (name, english) == ("개요 7", "Outline 7")
    assert struct.unpack_from("<BBhHHH", records[10][2], pos) == (0, 0, 0x0412, 3, 0, 0)
    # Without a DocInfo the stream is the document properties alone.
    assert hwp.inflate_raw(hwp.hwp_streams([hwp.section("a")])["/DocInfo"]) == hwp.doc_info(1)


def table_records(table) -> tuple[list, list]:
    """The records of a table's control, and the payloads of its list headers."""
    records = [r for r in read_records(hwp.section(hwp.Paragraph(table))) if r[1] >= 2 or r[0] == 71]
    return records, [p for t, lv, p in records if t == 72 and lv == 2]


def test_tables_with_merged_cells_and_captions():
    plain, lists = table_records(hwp.Table([["a", "b"], ["c", "d"]]))
    assert [len(p) for p in lists] == [34] * 4
    addresses = [(1, 0, 0, c, r, 1, 1) for r in (0, 1) for c in (0, 1)]
    assert [struct.unpack_from("<hHI4H", p) for p in lists] == addresses

    # | tall | wide      |
    # |      | c (2 wide) |: three columns, though no row has more than two cells.
    rows = [
        [hwp.Cell(["tall", "x"], 0, 0, row_span=2), hwp.Cell("wide", 1, 0, col_span=2)],
        [hwp.Cell("c", 1, 1, col_span=2)],
    ]
    for side, bits in [("left", 0), ("right", 1), ("top", 2), ("bottom", 3)]:
        records, lists = table_records(hwp.Table(rows, caption=["표 1"], caption_side=side))
        tags = [t for t, _, _ in records]
        assert tags[:3] == [71, 72, 66] and tags.index(77) > 2  # the caption comes first
        assert struct.unpack_from("<hHIIIHI", lists[0]) == (1, 0, 0, bits, 8000, 850, 8000)
    table = next(p for t, _, p in records if t == 77)
    assert struct.unpack_from("<HH", table, 4) == (2, 3) and struct.unpack_from("<2H", table, 18) == (2, 1)
    cells = [struct.unpack_from("<h6x4H", p) for p in lists[1:]]
    assert cells == [(2, 0, 0, 1, 2), (1, 1, 0, 2, 1), (1, 1, 1, 2, 1)]
    records, lists = table_records(hwp.Table(rows, columns=5, cells_per_row=[4, 0]))
    table = next(p for t, _, p in records if t == 77)
    assert len(lists) == 3 and struct.unpack_from("<HH10xH", table, 4) == (2, 5, 4)
    picture = [p for t, _, p in read_records(hwp.section(hwp.Paragraph(hwp.Picture(["cap"])))) if t == 72]
    assert picture == [struct.pack("<hHIIIHI", 1, 0, 0, 3, 8000, 850, 8000)]


def test_controls_of_notes_headers_links_and_numbers():
    paragraph = hwp.Paragraph(
        hwp.SectionDefinition(outline_numbering=2),
        hwp.Hyperlink("site", "http://google.com"),
        hwp.Footnote(["note"], number=7),
        hwp.Header(["top"], pages="odd"),
        hwp.AutoNumber(3, "table", "ROMAN", suffix=")"),
        shape=4,
        style=2,
    )
    records = read_records(hwp.section(paragraph))
    header, text = records[0][2], records[1][2]
    assert struct.unpack_from("<HB", header, 8) == (4, 2)
    codes, pos = [], 0
    while pos < len(text):
        (unit,) = struct.unpack_from("<H", text, pos)
        wide = 0 < unit < 24 and unit not in (10, 13)
        codes.append((unit, text[pos + 2 : pos + 6][::-1].decode("latin-1")) if wide else chr(unit))
        pos += 16 if wide else 2
    assert codes == [
        (2, "secd"),
        (2, "cold"),
        (3, "%hlk"),
        *"site",
        (4, "\0" * 4),
        (17, "fn  "),
        (16, "head"),
        (18, "atno"),
        "\r",
    ]
    assert struct.unpack_from("<I", header, 4)[0] == sum(1 << c for c in (2, 3, 4, 13, 16, 17, 18))
    controls = {  # id -> (record index, level, payload after the id)
        p[:4][::-1].decode("latin-1"): (i, lv, p[4:]) for i, (t, lv, p) in enumerate(records) if t == 71
    }
    assert {lv for _, lv, _ in controls.values()} == {1}
    assert struct.unpack_from("<H", controls["secd"][2], 14)[0] == 2  # offset 18 of the payload
    at, _, link = controls["%hlk"]
    command = "http\\://google.com;1;0;0;"
    assert link == struct.pack("<IBH", 0xA800, 0, len(command)) + command.encode("utf-16-le") + link[-4:]
    assert records[at + 1][0] != 87  # no CTRL_DATA
    assert hwp.hyperlink_command("a;b?c\\d:") == "a\\;b\\?c\\\\d\\:;1;0;0;"
    at, _, note = controls["fn  "]
    assert note == struct.pack("<IHHI", 7, 0, 0x29, 0)
    assert records[at + 1] == (72, 2, struct.pack("<hHI", 1, 0, 0)) and records[at + 2][:2] == (66, 2)
    at, _, head = controls["head"]
    assert head == struct.pack("<I", 2)
    assert records[at + 1] == (72, 2, struct.pack("<hHIII", 1, 0, 0, 42520, 4252) + bytes(10))
    assert controls["atno"][2] == struct.pack("<IHHHH", 4 | 2 << 4, 3, 0, 0, ord(")"))
