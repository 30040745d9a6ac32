"""hwp_debug_records over generated documents: the listing of section 0 whatever its
storage and compression, record sizes, truncation, and every way opening a document
can fail, with the exact message of each."""

from __future__ import annotations

import io
import random
import struct
import subprocess
import sys
import zipfile
import zlib

import pytest

import _brindle
import hwpfixture as hwp
from conftest import BOTH_FUNCTIONS, REPO_ROOT, runtime_error

records_of = _brindle.hwp_debug_records
FIXTURE_COMMAND = str(REPO_ROOT / "tests" / "fixtures" / "hwp_fixture.py")


def encode(triples) -> bytes:
    """Record bytes for (tag, level, payload) triples."""
    return b"".join(hwp.record(tag, level, payload) for tag, level, payload in triples)


def listing(triples) -> list[tuple[int, int, int]]:
    return [(tag, level, len(payload)) for tag, level, payload in triples]


def random_records(count: int, seed: int, max_size: int = 300):
    """Records with incompressible payloads, so that compressed sections stay large."""
    rng = random.Random(seed)
    return [
        (rng.randrange(16, 100), rng.randrange(0, 5), rng.randbytes(rng.randrange(0, max_size))) for _ in range(count)
    ]


SMALL = random_records(8, seed=1, max_size=200)  # well under 4096 bytes stored
LARGE = random_records(400, seed=2)  # tens of kilobytes stored, compressed or not


@pytest.mark.parametrize("compressed", [True, False], ids=["compressed", "stored"])
@pytest.mark.parametrize("triples", [SMALL, LARGE], ids=["mini-stream", "regular-sectors"])
def test_listing_is_the_same_compressed_or_not(make_hwp, triples, compressed):
    stored = hwp.hwp_streams([encode(triples)], compressed)["/BodyText/Section0"]
    assert (len(stored) < 4096) == (triples is SMALL)
    result = records_of(make_hwp([encode(triples)], compressed=compressed))
    assert type(result) is list and all(type(t) is tuple for t in result)
    assert result == listing(triples)


def test_sample_document_lists_its_first_section(make_hwp, tmp_path):
    first, second = hwp.build_sample_document()
    compressed = records_of(make_hwp([first, second]))
    assert compressed == records_of(make_hwp([first, second], compressed=False))
    assert compressed[0] == (66, 0, 24)
    # Paragraphs, controls, a table with cells, a picture, an equation, a field name.
    assert {72, 76, 77, 85, 87, 88} <= {tag for tag, _, _ in compressed}
    # The README's command writes the same document.
    out = tmp_path / "sample.hwp"
    subprocess.run([sys.executable, FIXTURE_COMMAND, "sample", str(out)], check=True)
    assert records_of(str(out)) == compressed


def test_record_sizes(make_hwp):
    triples = [
        (66, 0, b""),
        (67, 1, bytes(4094)),  # largest size held in the 12-bit field
        (67, 1, bytes(4095)),  # 0xFFF itself must be written extended
        (67, 1, bytes(4096)),
        (67, 1, bytes(70000)),
        (1023, 1023, b"x"),
        (0, 0, b"abc"),
    ]
    forced = hwp.record(80, 2, b"12345", extended=True) + hwp.record(81, 3, b"", extended=True)
    result = records_of(make_hwp([encode(triples) + forced]))
    assert result == listing(triples) + [(80, 2, 5), (81, 3, 0)]


WHOLE = encode(SMALL)
TRUNCATIONS = {
    "empty": (b"", []),
    "one-byte": (b"\x42", []),
    "three-bytes": (b"\x42\x00\x10", []),
    "stray-bytes-after-last-record": (WHOLE + b"\x01\x02\x03", listing(SMALL)),
    "payload-cut-short": (WHOLE + hwp.record(67, 1, bytes(50))[:-1], listing(SMALL)),
    # A size beyond the end hides the whole records that follow it.
    "size-beyond-end": (
        WHOLE + struct.pack("<I", 67 | 1 << 10 | (len(WHOLE) + 1) << 20) + WHOLE,
        listing(SMALL),
    ),
    "extended-size-cut-short": (WHOLE + b"\x43\x04\xf0\xff\x00\x10", listing(SMALL)),
}


@pytest.mark.parametrize("compressed", [True, False], ids=["compressed", "stored"])
@pytest.mark.parametrize("data, expected", TRUNCATIONS.values(), ids=TRUNCATIONS.keys())
def test_truncated_sections(make_hwp, data, expected, compressed):
    assert records_of(make_hwp([data], compressed=compressed)) == expected


def test_only_section_zero_is_listed(make_hwp):
    sections = [encode(random_records(5, seed)) for seed in (10, 11, 12)]
    assert records_of(make_hwp(sections)) == listing(random_records(5, 10))


@pytest.mark.parametrize("properties", [0x0, 0x4, 0xFFFFFFFC], ids=hex)
def test_clear_compression_bit_reads_sections_as_stored(make_hwp, properties):
    assert records_of(make_hwp([WHOLE], compressed=False, properties=properties)) == listing(SMALL)


@pytest.mark.parametrize(
    "header",
    [
        hwp.file_header(1, length=40),
        hwp.file_header(1, length=5000),  # long enough for regular sectors
        hwp.file_header(1, signature=b"HWP Document File, not NUL-padded"[:32]),
        hwp.file_header(1, version=0),
        hwp.file_header(1, version=0xFFFFFFFF),
        hwp.file_header(0xFFFFFFFD),  # every property but the password bit
    ],
    ids=["40-bytes", "5000-bytes", "no-padding", "version-0", "version-max", "other-bits"],
)
def test_accepted_file_headers(make_hwp, header):
    assert records_of(make_hwp([WHOLE], header=header)) == listing(SMALL)


def zip_document() -> bytes:
    out = io.BytesIO()
    with zipfile.ZipFile(out, "w") as archive:
        archive.writestr("mimetype", "application/hwp+zip")
        archive.writestr("Contents/section0.xml", "<sec/>")
    return out.getvalue()


VALID_CFB = hwp.compound_file_bytes(hwp.hwp_streams([WHOLE]))


@BOTH_FUNCTIONS
@pytest.mark.parametrize(
    "content",
    [
        b"",
        b"plain text\n",
        zip_document(),
        VALID_CFB[:512],
        b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1" + bytes(504),
    ],
    ids=["empty", "text", "zip", "header-only", "signature-only"],
)
def test_not_a_compound_file(fn, make_file, content):
    message = runtime_error(fn, make_file(content))
    assert message.startswith("Compound file error: ") and len(message) > len("Compound file error: ")


@BOTH_FUNCTIONS
def test_missing_file_and_directory(fn, tmp_path):
    assert runtime_error(fn, str(tmp_path / "missing.hwp")) == "IO error: No such file or directory (os error 2)"
    assert runtime_error(fn, str(tmp_path)) == "IO error: Is a directory (os error 21)"


SIGNATURE = b"HWP Document File"
HEADER_FAILURES = {
    "no-file-header": ({"extra_streams": {"/FileHeader": None}}, "Compound file error: "),
    "file-header-storage": (
        {"extra_streams": {"/FileHeader": None}, "storages": ["/FileHeader"]},
        "Compound file error: ",
    ),
    "empty-header": ({"header": b""}, "Invalid HWP signature"),
    "16-byte-prefix": ({"header": SIGNATURE[:16]}, "Invalid HWP signature"),
    "lower-case": (
        {"header": hwp.file_header(signature=SIGNATURE.lower())},
        "Invalid HWP signature",
    ),
    "other-format": (
        {"header": hwp.file_header(signature=b"HWP Document Fila")},
        "Invalid HWP signature",
    ),
    "short-and-unsigned": ({"header": b"XWP Document File"}, "Invalid HWP signature"),
    "17-bytes": ({"header": SIGNATURE}, "Parse error: FileHeader too short"),
    "32-bytes": ({"header": hwp.file_header(length=32)}, "Parse error: FileHeader too short"),
    "39-bytes": ({"header": hwp.file_header(length=39)}, "Parse error: FileHeader too short"),
    "password": ({"properties": 0x2}, "Password-protected HWP files are not supported"),
    "password-compressed": ({"properties": 0x3}, "Password-protected HWP files are not supported"),
    "all-bits": ({"properties": 0xFFFFFFFF}, "Password-protected HWP files are not supported"),
}


@BOTH_FUNCTIONS
@pytest.mark.parametrize("options, expected", HEADER_FAILURES.values(), ids=HEADER_FAILURES.keys())
def test_header_failures(fn, make_hwp, options, expected):
    message = runtime_error(fn, make_hwp([WHOLE], **options))
    if expected.endswith(": "):
        assert message.startswith(expected) and len(message) > len(expected)
    else:
        assert message == expected


def test_section_read_failure(make_file):
    """A stored section in regular sectors whose last sector lies beyond the end of a
    truncated file: the container opens, reading the stream fails."""
    data = hwp.section(*["x" * 3000] * 10)
    whole = hwp.compound_file_bytes(hwp.hwp_streams([data], compressed=False))
    tail = len(data) % 512 or 512
    assert len(data) >= 4096 and whole[-512:][:tail] == data[-tail:]  # its sector ends the file
    path = make_file(whole[:-512])
    assert runtime_error(records_of, path).startswith("IO error: ")
    assert _brindle.hwp_to_markdown(path) == ""


@pytest.mark.parametrize(
    "sections, storages",
    [([None, WHOLE], []), ([], []), ([None], ["/BodyText/Section0"])],
    ids=["gap-at-zero", "no-sections", "section-storage"],
)
def test_missing_section_zero(make_hwp, sections, storages):
    message = runtime_error(records_of, make_hwp(sections, storages=storages))
    assert message.startswith("Compound file error: ") and len(message) > len("Compound file error: ")


def synced_deflate(data: bytes) -> bytes:
    """`data` in complete, non-final blocks: a valid start without an end."""
    packer = zlib.compressobj(9, zlib.DEFLATED, -15)
    return packer.compress(data) + packer.flush(zlib.Z_SYNC_FLUSH)


CORRUPT = "Parse error: 압축 해제 실패: corrupt deflate stream"
MALFORMED_DEFLATE = {
    "reserved-block-type": hwp.corrupt_deflate(),
    "stored-length-mismatch": hwp.Stored(b"\x01\x05\x00\x00\x00hello"),
    "too-many-length-codes": hwp.Stored(b"\x05\xff\xff\xff\xff"),
    "zlib-header-in-front": hwp.zlib_wrapped(WHOLE),
    "corrupt-after-good-block": hwp.Stored(synced_deflate(WHOLE) + b"\x07"),
}


@pytest.mark.parametrize("data", MALFORMED_DEFLATE.values(), ids=MALFORMED_DEFLATE.keys())
def test_malformed_deflate(make_hwp, data):
    # Python's raw inflater, over the same bytes, agrees that they are malformed.
    with pytest.raises(zlib.error):
        hwp.inflate_raw(data)
    assert runtime_error(records_of, make_hwp([data])) == CORRUPT


def test_corrupt_section_zero_does_not_fail_the_conversion(make_hwp):
    path = make_hwp([hwp.corrupt_deflate()])
    assert runtime_error(records_of, path) == CORRUPT
    assert _brindle.hwp_to_markdown(path) == ""


def section_of(triples) -> tuple[bytes, list[int]]:
    """Record bytes and the offset at which each record ends."""
    ends, offset = [], 0
    for tag, level, payload in triples:
        offset += len(hwp.record(tag, level, payload))
        ends.append(offset)
    return encode(triples), ends


@pytest.mark.parametrize("keep", [0.001, 0.3, 0.7, 0.999])
def test_deflate_cut_short_lists_what_was_decoded(make_hwp, keep):
    data, ends = section_of(LARGE)
    cut = hwp.deflate_cut_short(data, keep)
    decoded = len(hwp.inflate_raw(cut))
    assert decoded < len(data)
    complete = sum(end <= decoded for end in ends)
    assert records_of(make_hwp([cut])) == listing(LARGE[:complete])


def test_bytes_after_the_final_block_are_ignored(make_hwp):
    assert records_of(make_hwp([hwp.with_trailing_bytes(WHOLE)])) == listing(SMALL)


def test_multi_block_deflate(make_hwp):
    data = encode(LARGE)
    packer = zlib.compressobj(1, zlib.DEFLATED, -15)
    chunks = [packer.compress(data[i : i + 3000]) + packer.flush(zlib.Z_FULL_FLUSH) for i in range(0, len(data), 3000)]
    assert records_of(make_hwp([hwp.Stored(b"".join(chunks) + packer.flush())])) == listing(LARGE)
