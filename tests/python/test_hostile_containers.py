"""Hostile containers, each converted (and listed) in a child interpreter with a time
bound: a hundred thousand sections, four hundred thousand directory entries, chains
and links that loop. Each call must end within seconds with the document's text or a
compound-file error, and take memory in proportion to the file."""

from __future__ import annotations

import pytest

import hwpfixture as hwp
from hwpfixture import hostile
from isolation import MIB, UNDER_ASAN, check_peak, run_isolated

# Seconds one call may take: linear work on tens of megabytes, with room for a
# loaded machine and the sanitizer build's slowdown.
BOUND = 20.0 if UNDER_ASAN else 5.0


def write(tmp_path, name: str, data: bytes):
    path = tmp_path / f"{name}.hwp"
    path.write_bytes(data)
    return path


@pytest.mark.slow
def test_hundred_thousand_sections(tmp_path):
    count = 100_000
    path = write(tmp_path, "sections", hostile.many_sections_document(count))
    outcome = run_isolated(path)
    assert outcome.seconds < BOUND
    assert outcome.result == "\n\n".join(f"s{n}" for n in range(count))
    check_peak(outcome, 4 * path.stat().st_size + 64 * MIB, f"{count} sections")


@pytest.mark.slow
def test_four_hundred_thousand_directory_entries(tmp_path):
    path = write(tmp_path, "entries", hostile.many_entries_container(400_000, streams=True))
    for function, expected in (("hwp_to_markdown", "s0\n\ns1\n\ns2"), ("hwp_debug_records", None)):
        outcome = run_isolated(path, function)
        assert outcome.seconds < BOUND
        if expected is not None:
            assert outcome.result == expected
        check_peak(outcome, 3 * path.stat().st_size + 64 * MIB, f"400000 entries, {function}")


FIRST, SECOND = "a" * 400, "b" * 3000  # section 0 in the mini stream, 1 in regular sectors


def _document() -> bytes:
    return hwp.compound_file_bytes(hwp.hwp_streams([hwp.section(FIRST), hwp.section(SECOND)], compressed=False))


def _difat_document() -> bytes:
    # Enough sections that the FAT's sector numbers fill the header's 109 slots and
    # more than one DIFAT sector.
    return hostile.many_sections_document(100_000)


# A loop after the last sector a stream needs is never followed, so each loop
# below closes within the part of the chain that is read.
LOOPS = {
    # name: (damaged bytes, Markdown expected or None for a compound-file error)
    "fat-chain-loops": (lambda: hwp.loop_fat_chain(_document(), "/BodyText/Section1", at=5, to=1), FIRST),
    "mini-fat-chain-loops": (lambda: hwp.loop_mini_fat_chain(_document(), "/BodyText/Section0", at=3, to=0), ""),
    "directory-chain-loops": (lambda: hwp.loop_fat_chain(_document(), "directory"), None),
    "difat-chain-loops": (lambda: hwp.loop_difat_chain(_difat_document(), at=0, to=0), None),
    "child-points-at-parent": (lambda: hwp.link_child_to_parent(_document(), "/BodyText"), ""),
    "section-points-at-body-text": (
        lambda: hwp.link_child_to_parent(_document(), "/BodyText/Section0"),
        f"{FIRST}\n\n{SECOND}",
    ),
    "sibling-points-at-ancestor": (
        lambda: hwp.link_sibling_to_ancestor(_document(), "/BodyText/Section0", "right", 1),
        "",
    ),
    "root-points-at-itself": (lambda: hwp.relink_entry(_document(), "/", "child", 0), None),
}


@pytest.mark.parametrize("name", list(LOOPS))
def test_loops_end_promptly(tmp_path, name):
    build, expected = LOOPS[name]
    data = build()
    path = write(tmp_path, name, data)
    outcome = run_isolated(path, timeout=60)
    assert outcome.seconds < BOUND
    if expected is None:
        assert outcome.raised == "RuntimeError"
        assert outcome.args[0].startswith("Compound file error: ")
    else:
        assert outcome.result == expected
    check_peak(outcome, 4 * len(data) + 32 * MIB, name)
    listing = run_isolated(path, "hwp_debug_records", timeout=60)
    assert listing.seconds < BOUND
    assert listing.raised in (None, "RuntimeError")
