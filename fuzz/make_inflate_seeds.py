"""Writes the seeds of the differential inflate target: the raw-deflate data of every
ZIP entry of the given packages, the corpus sections already gathered for the inflate
target (SEEDS_DIR/inflate) cut short at several points, and hand-made streams with
the faults on which inflaters part ways: reserved length and distance symbols, a
distance before the start, too many code lengths, an incomplete or over-subscribed
code, a stored block whose length check fails, the reserved block type.

    python fuzz/make_inflate_seeds.py SEEDS_DIR [PACKAGE...]
"""

from __future__ import annotations

import pathlib
import struct
import sys
import zipfile
import zlib


class Bits:
    """A DEFLATE bit writer: fields least significant bit first, Huffman codes first bit first."""

    def __init__(self) -> None:
        self.value = 0
        self.count = 0

    def field(self, value: int, width: int) -> Bits:
        self.value |= value << self.count
        self.count += width
        return self

    def code(self, code: int, width: int) -> Bits:
        return self.field(int(format(code, f"0{width}b")[::-1], 2), width)

    def bytes(self) -> bytes:
        return self.value.to_bytes((self.count + 7) // 8, "little")


def fixed_symbol(bits: Bits, symbol: int) -> Bits:
    """A literal/length symbol in the fixed code (RFC 1951, 3.2.6)."""
    if symbol < 144:
        return bits.code(0x30 + symbol, 8)
    if symbol < 256:
        return bits.code(0x190 + symbol - 144, 9)
    if symbol < 280:
        return bits.code(symbol - 256, 7)
    return bits.code(0xC0 + symbol - 280, 8)


def fixed_block(body) -> bytes:
    bits = Bits().field(1, 1).field(1, 2)  # final, fixed Huffman
    for literal in b"ab":
        fixed_symbol(bits, literal)
    body(bits)
    return fixed_symbol(bits, 256).bytes()


def dynamic_header(hlit: int, hdist: int, hclen: int, lengths: list[int]) -> bytes:
    bits = Bits().field(1, 1).field(2, 2).field(hlit, 5).field(hdist, 5).field(hclen, 4)
    for length in lengths:
        bits.field(length, 3)
    return bits.bytes() + bytes(8)


def handmade() -> dict[str, bytes]:
    streams = {
        # length symbols 286 and 287, distance symbols 30 and 31: zlib refuses them
        "length-286": fixed_block(lambda b: fixed_symbol(b, 286).code(0, 5)),
        "length-287": fixed_block(lambda b: fixed_symbol(b, 287).code(0, 5)),
        "distance-30": fixed_block(lambda b: fixed_symbol(b, 257).code(30, 5)),
        "distance-31": fixed_block(lambda b: fixed_symbol(b, 257).code(31, 5)),
        # distance 4 (code 3) after two bytes of output, and the longest distance
        "distance-too-far": fixed_block(lambda b: fixed_symbol(b, 257).code(3, 5)),
        "distance-32768-too-far": fixed_block(lambda b: fixed_symbol(b, 285).code(29, 5).field(8191, 13)),
        # HLIT 30 and 31 (287 and 288 codes), HDIST 30 and 31 (31 and 32 codes)
        "too-many-lengths": dynamic_header(30, 0, 15, [4] * 19),
        "too-many-all": dynamic_header(31, 31, 15, [4] * 19),
        "too-many-distances": dynamic_header(0, 30, 15, [4] * 19),
        # code-length codes over-subscribed (all of length 1) and incomplete (one of length 2)
        "oversubscribed-code-lengths": dynamic_header(0, 0, 15, [1] * 19),
        "incomplete-code-lengths": dynamic_header(0, 0, 0, [2, 0, 0, 0]),
        # a stored block whose NLEN is not the complement of LEN, and one that runs out
        "stored-bad-nlen": bytes([1]) + struct.pack("<HH", 5, 5) + b"hello",
        "stored-short": bytes([1]) + struct.pack("<HH", 50, 0xFFFF - 50) + b"hello",
        "reserved-block-type": bytes([0x07, 0, 0, 0]),
        "empty": b"",
    }
    compressor = zlib.compressobj(9, zlib.DEFLATED, -15)
    text = ("가나다라 " * 4000).encode() + bytes(range(256)) * 64
    whole = compressor.compress(text) + compressor.flush()
    streams["text"] = whole
    streams["text-then-garbage"] = whole + b"\xff" * 16
    streams["two-streams"] = whole + whole
    return streams


def zip_entries(package: pathlib.Path) -> list[bytes]:
    """The stored bytes of each deflated entry, as the ZIP reader hands them over."""
    data = package.read_bytes()
    streams = []
    try:
        with zipfile.ZipFile(package) as archive:
            for info in archive.infolist():
                if info.compress_type != zipfile.ZIP_DEFLATED:
                    continue
                offset = info.header_offset
                name_length, extra_length = struct.unpack_from("<HH", data, offset + 26)
                start = offset + 30 + name_length + extra_length
                streams.append(data[start : start + info.compress_size])
    except (zipfile.BadZipFile, struct.error):
        pass
    return streams


def main(out: pathlib.Path, packages: list[str]) -> None:
    target = out / "inflate_differential"
    target.mkdir(parents=True, exist_ok=True)
    for name, stream in handmade().items():
        (target / name).write_bytes(stream)
    sections = sorted((out / "inflate").glob("*")) if (out / "inflate").is_dir() else []
    streams = [p.read_bytes() for p in sections]
    for package in packages:
        streams += zip_entries(pathlib.Path(package))
    for n, stream in enumerate(streams):
        if len(stream) > 1 << 20:
            continue
        (target / f"stream-{n}").write_bytes(stream)
        if n % 8 == 0 and len(stream) > 16:  # cut short at a few points, on a sample
            for cut in (1, len(stream) // 2, len(stream) - 1):
                (target / f"stream-{n}-cut-{cut}").write_bytes(stream[:cut])


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]), sys.argv[2:])
