"""Hostile documents: tiny files that declare huge tables or inflate without end,
records nested to the last level, thousands of sections, millions of records or
fields. Each call runs in a child interpreter (see isolation.py): it must return or
raise a clear exception, never crash, finish in time proportional to its input, and
keep its peak memory within the bound that applies.

Memory bounds, as the converter keeps them: one section at a time, inflated to at
most MAX_SECTION_SIZE; a record takes 16 bytes in the record table however small it
is in the section (a bare header is 4), so a section's records take up to 4 times
the section; the output exists twice at the end (the core's text and the Python
str); a table materialises each of at most MAX_TABLE_CELLS declared cells.
"""

from __future__ import annotations

import struct

import pytest

import hwpfixture as hwp
from hwpfixture import hostile
from isolation import MIB, TIME_LIMIT, check_peak, run_isolated

MAX_TABLE_CELLS = 1 << 22
MAX_SECTION_SIZE = 128 * MIB
TABLE_CELL_SIZE = 32  # one materialised cell: its (empty) text
SLACK = 64 * MIB  # the allocator's own growth, libgsf, small buffers

slow = pytest.mark.slow


def conversion_bound(section_size: int, output_size: int) -> int:
    """Peak memory allowed for a conversion whose largest inflated section and output
    have these sizes."""
    return 6 * section_size + 4 * output_size + SLACK


def listing_of(data: bytes) -> list[list[int]]:
    """[tag, level, size] of each complete record in section bytes, cut as the
    record format defines (an independent reading for comparison)."""
    out, pos = [], 0
    while len(data) - pos >= 4:
        (header,) = struct.unpack_from("<I", data, pos)
        size, start = header >> 20, pos + 4
        if size == hwp.RECORD_SIZE_EXTENDED:
            if len(data) - start < 4:
                break
            (size,) = struct.unpack_from("<I", data, start)
            start += 4
        if len(data) - start < size:
            break
        out.append([header & 0x3FF, (header >> 10) & 0x3FF, size])
        pos = start + size
    return out


def pipe_table(rows: list[list[str]], width: int) -> str:
    """A pipe table as the converter renders it, with its final empty line."""
    lines = ["|" + "".join(f"{c}|" for c in row) + "|" * (width - len(row)) for row in rows]
    lines.insert(1, "|" + "---|" * width)
    return "\n".join(lines) + "\n\n"


def expect_limit(outcome, what: str) -> None:
    """The call ended with the MemoryError of an enforced bound: it carries a message,
    unlike the bare MemoryError of an allocation that failed."""
    assert outcome.raised == "MemoryError", f"{what}: {outcome.raised}{tuple(outcome.args)}"
    assert outcome.args and outcome.args[0], "a bound names itself; a failed allocation does not"


# --- tables -----------------------------------------------------------------------------


def test_tiny_file_declaring_65535_rows_of_65535_cells(make_hwp):
    path = make_hwp([hostile.declared_table(65535, 65535)])
    outcome = run_isolated(path)
    expect_limit(outcome, "4.3 billion declared cells")
    check_peak(outcome, 32 * MIB, "65535 x 65535 declared cells")


def test_one_wide_row_above_many_empty_rows_is_refused(make_hwp):
    # Rendered, the one row of 65535 cells pads every one of the 65535 rows to its
    # width: 4.3 billion cells of output from 65535 declared ones.
    counts = [65535] + [0] * 65534
    section = hwp.section("before") + hwp.para_header(0) + hostile.table_control(1, counts)
    outcome = run_isolated(make_hwp([section]))
    expect_limit(outcome, "65535 rows padded to 65535 columns")
    check_peak(outcome, 32 * MIB, "one wide row")


def test_table_just_over_the_cell_bound_is_refused(make_hwp):
    outcome = run_isolated(make_hwp([hostile.declared_table(2049, 2048)]))
    expect_limit(outcome, f"{2049 * 2048} declared cells")
    check_peak(outcome, 32 * MIB, "just over the bound")


def test_table_at_the_cell_bound_converts(make_hwp):
    rows, width = 2048, 2048
    assert rows * width == MAX_TABLE_CELLS
    outcome = run_isolated(make_hwp([hostile.declared_table(rows, width)]))
    expected = "before\n\n" + pipe_table([[""] * width] * rows, width) + "after"
    assert outcome.result == expected
    check_peak(
        outcome,
        MAX_TABLE_CELLS * TABLE_CELL_SIZE + conversion_bound(0, len(expected)),
        "4194304 empty cells",
    )


def test_rows_declared_without_cell_counts_convert(make_hwp):
    # 65535 rows and no room for their cell counts: rows without cells, which render
    # as a single line feed.
    outcome = run_isolated(make_hwp([hostile.table_declaring_rows_without_counts(65535)]))
    assert outcome.result == "before\n\n\nafter"
    check_peak(outcome, 32 * MIB, "65535 empty rows")


@slow
def test_table_of_a_million_cells_converts(make_hwp):
    rows = columns = 1000
    section = hostile.full_table(rows, columns)
    outcome = run_isolated(make_hwp([section]))
    cells = [[hostile.cell_text(r, c) for c in range(columns)] for r in range(rows)]
    expected = pipe_table(cells, columns) + "after"
    text = outcome.result
    lines = text.split("\n")
    assert len(lines) == rows + 1 + 2  # the rows, the delimiter, the empty line, 'after'
    assert all(line.count("|") == columns + 1 for line in lines[: rows + 1])
    assert text == expected
    check_peak(outcome, conversion_bound(len(section), len(text)), "1,000,000 cells")


@slow
def test_many_tables_at_the_cell_bound_stay_bounded(make_hwp):
    # Each table is within the bound; together they declare 64 Mi cells from 3 KiB.
    copies = 16
    path = make_hwp([hostile.declared_table(2048, 2048, copies)])
    outcome = run_isolated(path)
    if outcome.raised:
        expect_limit(outcome, f"{copies} tables of {MAX_TABLE_CELLS} cells")
        check_peak(outcome, 256 * MIB, "many tables, refused")
        return
    text = outcome.result
    assert text.count("|---|") == copies
    # Cells of a few tables at a time, not of all of them, plus the output.
    check_peak(outcome, 4 * len(text) + 2 * MAX_TABLE_CELLS * TABLE_CELL_SIZE, "many tables")


# --- nesting --------------------------------------------------------------------------


def test_tables_nested_to_the_last_level_fold_four_levels(make_hwp):
    section = hostile.nested_tables(511)
    path = make_hwp([section])
    assert run_isolated(path).result == "outside\n\n|t0 t1 t2 t3|\n|---|\n\nafter"
    listing = run_isolated(path, "hwp_debug_records").result
    assert listing == listing_of(section)
    assert max(level for _, level, _ in listing) == 1023


def test_text_boxes_nested_to_the_last_level(make_hwp):
    outcome = run_isolated(make_hwp([hostile.nested_text_boxes(340)]))
    assert outcome.result == "outside\n\n" + "\n".join(f"b{k}" for k in range(340)) + "\n\nafter"


@slow
def test_record_tree_climbing_to_level_1023_and_back(make_hwp):
    count = 100
    section = hostile.mountains(count)
    path = make_hwp([section])
    outcome = run_isolated(path)
    # Everything above level 1 belongs to the first control of each mountain.
    assert outcome.result == "\n\n".join(f"v{m}" for m in range(count))
    listing = run_isolated(path, "hwp_debug_records").result
    assert len(listing) > 400_000
    assert listing == listing_of(section)
    assert {level for _, level, _ in listing} == set(range(1024))


# --- sections -------------------------------------------------------------------------


def test_thousands_of_sections_convert_in_order(make_hwp):
    count = 2000
    sections = hostile.many_sections(count) + [None, hwp.section("beyond the gap")]
    path = make_hwp(sections)
    outcome = run_isolated(path)
    assert outcome.result == "\n\n".join(f"section {n}" for n in range(count))
    # The listing reads section 0 alone.
    assert run_isolated(path, "hwp_debug_records").result == listing_of(sections[0])


@slow
@pytest.mark.parametrize("function", ["hwp_to_markdown", "hwp_debug_records"])
def test_deflate_bomb_raises_memory_error(make_hwp, function):
    bomb = hostile.deflate_bomb(MAX_SECTION_SIZE + MIB)
    assert len(bomb) < MIB
    outcome = run_isolated(make_hwp([bomb]), function)
    expect_limit(outcome, "a section inflating past 128 MiB")
    # The output buffer doubles up to the bound: the last two sizes at once.
    check_peak(outcome, 3 * MAX_SECTION_SIZE, "deflate bomb")


@slow
def test_section_inflating_to_50_mib_converts(make_hwp):
    size = 50 * MIB
    section = hostile.large_record_section(size)
    assert len(section) < MIB
    path = make_hwp([section])
    outcome = run_isolated(path)
    assert outcome.result == "before\n\nafter"
    check_peak(outcome, conversion_bound(size, 0), "50 MiB section")
    listing = run_isolated(path, "hwp_debug_records").result
    expected = listing_of(hwp.section("before")) + [[1000, 0, size]] + listing_of(hwp.section("after"))
    assert listing == expected


# --- records --------------------------------------------------------------------------


@pytest.mark.parametrize("compressed", [True, False], ids=["compressed", "stored"])
@pytest.mark.parametrize("size", [0xFFFFFFFF, 0x80000000, 0x1000], ids=["4GiB", "2GiB", "just-short"])
def test_record_with_a_huge_extended_size_is_dropped(make_hwp, size, compressed):
    # The lost paragraph's records after the header hold far fewer than 0x1000 bytes.
    section = hostile.huge_extended_size(size)
    path = make_hwp([section], compressed=compressed)
    outcome = run_isolated(path)
    assert outcome.result == "kept 1\n\nkept 2"
    check_peak(outcome, 32 * MIB, f"extended size {size:#x}")
    listing = run_isolated(path, "hwp_debug_records")
    assert listing.result == listing_of(hwp.section("kept 1", "kept 2"))
    check_peak(listing, 32 * MIB, f"listing, extended size {size:#x}")


@slow
def test_section_of_millions_of_tiny_records(make_hwp):
    count = 3_000_000
    section = hostile.tiny_records(count)
    path = make_hwp([section])
    outcome = run_isolated(path)
    assert outcome.result == "first\n\nlast"
    check_peak(outcome, conversion_bound(len(section), 0), f"{count} records")
    listing = run_isolated(path, "hwp_debug_records").result
    head, tail = listing_of(hwp.section("first")), listing_of(hwp.section("last"))
    assert len(listing) == len(head) + count + len(tail)
    assert listing[: len(head)] == head and listing[len(listing) - len(tail) :] == tail
    assert all(entry == [hwp.HWPTAG_PARA_HEADER, 0, 0] for entry in listing[len(head) : -len(tail)])


# --- click-here fields ----------------------------------------------------------------

FIELDS = 200_000

# Paragraphs whose fields are rendered in one pass run in time linear in their size;
# a paragraph of the same size that is rendered more slowly than this many times the
# plain one (and more than MIN_DEADLINE seconds) is taken to be rendered once per
# field.
SLOWDOWN_FACTOR = 10
MIN_DEADLINE = 5.0


@pytest.fixture(scope="module")
def plain_fields(tmp_path_factory):
    """The paragraph of FIELDS fields separated by spaces, converted."""
    path = tmp_path_factory.mktemp("fields") / "plain.hwp"
    hwp.write_hwp(path, [hostile.click_here_paragraph(FIELDS)])
    return run_isolated(path)


def deadline(reference, fields: int) -> float:
    """Seconds allowed for a paragraph of `fields` fields, given the plain one."""
    return max(MIN_DEADLINE, SLOWDOWN_FACTOR * reference.seconds * fields / FIELDS)


@slow
def test_paragraph_of_200000_click_here_fields(plain_fields):
    assert plain_fields.result == hostile.rendered_click_here_paragraph(FIELDS)
    assert plain_fields.seconds < TIME_LIMIT
    print(f"{FIELDS} fields: {plain_fields.seconds:.2f} s")


@slow
def test_fields_in_a_paragraph_holding_the_mark_character(make_hwp, plain_fields):
    path = make_hwp([hostile.click_here_paragraph(FIELDS, prefix=hostile.OWN_MARK_PREFIX)])
    limit = deadline(plain_fields, FIELDS)
    outcome = run_isolated(path, timeout=limit + 3)
    assert outcome.seconds < limit, f"{outcome.seconds:.1f} s against {plain_fields.seconds:.2f} s"
    assert outcome.result == hostile.rendered_click_here_paragraph(FIELDS, prefix=hostile.OWN_MARK_PREFIX)


@slow
def test_fields_separated_by_digits(make_hwp, plain_fields):
    # U+E000 '0' U+E000 also appears across the end of one field's mark, the '0'
    # between two fields and the start of the next; searching the whole text for
    # each field's mark in turn costs little per search, so twice the fields are
    # used to tell that apart from one pass.
    fields = 2 * FIELDS
    path = make_hwp([hostile.click_here_paragraph(fields, separator="0")])
    limit = deadline(plain_fields, fields)
    outcome = run_isolated(path, timeout=limit + 3)
    assert outcome.seconds < limit, f"{outcome.seconds:.1f} s against {plain_fields.seconds:.2f} s"
    assert outcome.result == hostile.rendered_click_here_paragraph(fields, separator="0")


# --- the full profile -----------------------------------------------------------------
#
# It reads more of each document (notes, headers, captions, cell addresses, DocInfo)
# and keeps the same guarantees: every hostile document above returns or raises the
# MemoryError of a bound, in time, within the memory of a section, its records, the
# bounded tables and the output.


@pytest.mark.parametrize(
    "name",
    [
        "declared-65535x65535",
        "declared-at-bound",
        "declared-rows-only",
        "nested-tables",
        "nested-boxes",
        "many-sections",
        "extended-4gib",
        "click-here",
        "nested-notes",
        "many-notes",
        "colliding-cells",
        pytest.param("mountains", marks=slow),
        pytest.param("deflate-bomb", marks=slow),
        pytest.param("tiny-records", marks=slow),
        pytest.param("full-table", marks=slow),
    ],
)
def test_full_profile_on_hostile_documents(make_hwp, name):
    outcome = run_isolated(make_hwp(hostile.hostile_documents()[name]()), "full")
    if outcome.raised:
        expect_limit(outcome, name)
    else:
        assert outcome.result.strip()
    check_peak(outcome, 3 * MAX_SECTION_SIZE, name)


def test_notes_nested_to_the_last_level_are_read_eight_deep(make_hwp):
    outcome = run_isolated(make_hwp([hostile.nested_notes(500)]), "full")
    text = outcome.result
    assert text.startswith("outside[^1]\n\nafter\n\n[^1]: n0[^2]")
    # Lists nested deeper than eight are passed over: note 8 holds note 9's anchor,
    # whose definition is never read, and nothing deeper is.
    assert "[^8]: n7[^9]\n\n[^9]:" in text and "n8" not in text


def test_thousands_of_notes_in_one_paragraph_take_linear_time(make_hwp):
    count = 100_000
    outcome = run_isolated(make_hwp([hostile.many_notes_paragraph(count)]), "full")
    lines = outcome.result.split("\n\n")
    assert lines[0] == "notes" + "".join(f"[^{k + 1}]" for k in range(count))
    assert lines[1:] == [f"[^{k + 1}]: f{k}" for k in range(count)]
    assert outcome.seconds < 10


@slow
def test_a_table_of_many_shades_takes_linear_time(make_hwp):
    # 50,000 colours, each shading two empty cells of a table of 100,000: every
    # shade's verdict is found without a pass over the whole table.
    rows, columns, fills = 251, 400, 50_000
    shades = hwp.DocInfo(border_fills=[hwp.BorderFill()] + [hwp.BorderFill(f"#{k + 1:06X}") for k in range(fills)])
    outcome = run_isolated(make_hwp([hostile.shaded_table(rows, columns, fills)], doc_info=shades), "full")
    # Each shade fills two rows in different columns, where no cell holds text: all marks.
    cells = [[f"h{c}" for c in range(columns)]] + [[f"r{r}"] + ["■"] * (columns - 1) for r in range(1, rows)]
    assert outcome.result == pipe_table(cells, columns) + "after"
    assert outcome.seconds < 10


def test_number_formats_are_cut_so_each_paragraph_adds_little(make_hwp):
    count = 20_000
    doc_info = hwp.Stored(hwp.deflate_raw(hostile.long_numbering_doc_info(60_000)))
    outcome = run_isolated(make_hwp([hostile.numbered_paragraphs(count)], doc_info=doc_info), "full")
    paragraphs = outcome.result.split("\n\n")
    assert len(paragraphs) == count
    # 32 units of the format: "^1" sixteen times, each the paragraph's number.
    assert paragraphs[-1] == str(count) * 16 + " x"


def test_a_grid_of_declared_columns_is_bounded(make_hwp):
    path = make_hwp([hostile.columns_without_cells(65535, 65535)])
    expect_limit(run_isolated(path, "full"), "65535 rows of 65535 declared columns")
    assert run_isolated(path).result == "before\n\n\nafter"  # the exact rules count cells only


def test_cells_claiming_one_address_take_the_free_positions(make_hwp):
    count = 20_000
    outcome = run_isolated(make_hwp([hostile.cells_at_one_address(count)]), "full")
    # One column: the cells, each at the next free position, are the table's content.
    assert outcome.result == "\n\n".join(f"c{k}" for k in range(count))
