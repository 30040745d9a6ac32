"""brindle as a MarkItDown plugin: HWP 5.0, HWPX and HWPML documents to Markdown.

Installed with brindle (the ``markitdown.plugin`` entry point ``brindle``), it is used
whenever plugins are enabled:

    from markitdown import MarkItDown
    result = MarkItDown(enable_plugins=True).convert("report.hwp")
    print(result.title, result.markdown)

or ``markitdown --use-plugins report.hwpx`` on the command line. ``MarkItDown(...,
brindle_profile="exact")`` chooses brindle's exact profile.

A document is taken by its extension (``.hwp``, ``.hwpx``, ``.hml``), its MIME type
(see `MIME_TYPES`) or its content: a compound file with an HWP ``FileHeader`` stream,
a ZIP package whose first entry is the HWPX ``mimetype``, or markup whose root
element is ``<HWPML>``. A document brindle cannot
read raises its DocumentError, which MarkItDown reports in its
FileConversionException after trying its other converters.
"""

from __future__ import annotations

import re
import struct
import zlib
from typing import Any, BinaryIO

from markitdown import (
    PRIORITY_SPECIFIC_FILE_FORMAT,
    DocumentConverter,
    DocumentConverterResult,
    MarkItDown,
    StreamInfo,
)

from .._api import Profile, _check_profile
from .._document import parse

__all__ = ["EXTENSIONS", "MIME_TYPES", "HwpConverter", "is_hwp_content", "register_converters"]

__plugin_interface_version__ = 1

EXTENSIONS = frozenset({".hwp", ".hwpx", ".hml"})

MIME_TYPES = frozenset(
    {
        # HWP 5.0
        "application/x-hwp",
        "application/haansofthwp",
        "application/vnd.hancom.hwp",
        # HWPX, the first being the type its own mimetype entry names
        "application/hwp+zip",
        "application/vnd.hancom.hwpx",
        "application/haansofthwpx",
        # HWPML
        "application/x-hwpml",
    }
)

_COMPOUND_SIGNATURE = b"\xd0\xcf\x11\xe0\xa1\xb1\x1a\xe1"
_ZIP_LOCAL_HEADER = b"PK\x03\x04"
# The word processor's type, and the standard's that other writers give the same package.
_HWPX_MIMETYPES = (b"application/hwp+zip", b"application/owpml")
_LONGEST_MIMETYPE = max(map(len, _HWPX_MIMETYPES))
# Sector numbers at or above this mark the end of a chain (or free, FAT sectors).
_LAST_SECTOR = 0xFFFFFFFA
# How many directory sectors to look through for the FileHeader stream: the word
# processor writes it among the first entries, and the bound keeps a hostile chain
# from making accepts() read the whole file.
_DIRECTORY_SECTORS = 32
_STREAM_ENTRY = 2


def _read_at(stream: BinaryIO, offset: int, size: int) -> bytes:
    stream.seek(offset)
    return stream.read(size)


def _holds_hwp_file_header(stream: BinaryIO, start: int) -> bool:
    """Whether the compound file at `start` has a stream named FileHeader, which every
    HWP 5.0 document has and no .doc, .xls or .msg does: read from its directory
    sectors, the few the header points to."""
    header = _read_at(stream, start, 512)
    if len(header) < 512 or not header.startswith(_COMPOUND_SIGNATURE):
        return False
    (shift,) = struct.unpack_from("<H", header, 30)
    if shift not in (9, 12):
        return False
    sector_size = 1 << shift
    (sector,) = struct.unpack_from("<I", header, 48)
    fat_sectors = struct.unpack_from("<109I", header, 76)
    per_fat_sector = sector_size // 4
    fat_cache: dict[int, bytes] = {}

    def next_sector(current: int) -> int:
        index = current // per_fat_sector
        if index >= len(fat_sectors) or fat_sectors[index] >= _LAST_SECTOR:
            return _LAST_SECTOR
        if index not in fat_cache:
            fat_cache[index] = _read_at(stream, start + (fat_sectors[index] + 1) * sector_size, sector_size)
        fat = fat_cache[index]
        at = (current % per_fat_sector) * 4
        return struct.unpack_from("<I", fat, at)[0] if at + 4 <= len(fat) else _LAST_SECTOR

    for _ in range(_DIRECTORY_SECTORS):
        if sector >= _LAST_SECTOR:
            break
        directory = _read_at(stream, start + (sector + 1) * sector_size, sector_size)
        for at in range(0, len(directory) - 127, 128):
            (name_size,) = struct.unpack_from("<H", directory, at + 64)
            if directory[at + 66] == _STREAM_ENTRY and name_size == 22:  # "FileHeader" and its null
                if directory[at : at + 20].decode("utf-16-le", "replace").upper() == "FILEHEADER":
                    return True
        sector = next_sector(sector)
    return False


def _is_hwpx_package(stream: BinaryIO, start: int) -> bool:
    """Whether the ZIP archive at `start` opens with the entry ``mimetype`` (stored or deflated)
    holding ``application/hwp+zip`` (or the standard's ``application/owpml``), as every
    HWPX package does (and as EPUB and ODF do with their own types)."""
    head = _read_at(stream, start, 30)
    if len(head) < 30 or not head.startswith(_ZIP_LOCAL_HEADER):
        return False
    method, name_size, extra_size = (struct.unpack_from("<H", head, at)[0] for at in (8, 26, 28))
    if name_size != len(b"mimetype") or stream.read(name_size) != b"mimetype":
        return False
    # Deflated, the type takes a few bytes more than stored.
    content = _read_at(stream, start + 30 + name_size + extra_size, 2 * _LONGEST_MIMETYPE)
    if method == 8:
        try:
            content = zlib.decompressobj(-15).decompress(content, _LONGEST_MIMETYPE)
        except zlib.error:
            return False
    elif method != 0:
        return False
    return content.startswith(_HWPX_MIMETYPES)


_MARKUP_HEAD = 4096
# HWPML's root element after the prolog (declaration, style sheet, comments, document type).
_HWPML_ROOT = re.compile(r"^\s*(?:<\?.*?\?>\s*|<!--.*?-->\s*|<!DOCTYPE[^\[>]*(?:\[.*?\])?\s*>\s*)*<HWPML[\s/>]", re.S)


def _is_hwpml(head: bytes) -> bool:
    """Whether `head`, a file's first bytes, opens an HWPML document: UTF-8 (any ASCII
    superset, as the legacy Korean encodings are) or UTF-16 by its byte-order mark."""
    if head.startswith((b"\xff\xfe", b"\xfe\xff")):
        text = head[: len(head) // 2 * 2].decode("utf-16", "replace")
    else:
        text = head.removeprefix(b"\xef\xbb\xbf").decode("latin-1")
    return _HWPML_ROOT.match(text) is not None


def is_hwp_content(stream: BinaryIO) -> bool:
    """Whether the stream, from its current position, holds an HWP 5.0, HWPX or HWPML document
    by its first bytes and container structure (a few small reads, not the whole
    document). The position is restored."""
    start = stream.tell()
    try:
        magic = stream.read(8)
        if magic == _COMPOUND_SIGNATURE:
            return _holds_hwp_file_header(stream, start)
        if magic.startswith(_ZIP_LOCAL_HEADER):
            return _is_hwpx_package(stream, start)
        return _is_hwpml(magic + stream.read(_MARKUP_HEAD - len(magic)))
    finally:
        stream.seek(start)


class HwpConverter(DocumentConverter):
    """Converts HWP 5.0, HWPX and HWPML documents with brindle; the title is the one the
    document's properties hold, if any. Pictures stay placeholders, as in
    ``brindle.convert``."""

    def __init__(self, profile: Profile = "full") -> None:
        _check_profile(profile)
        self.profile: Profile = profile

    def accepts(self, file_stream: BinaryIO, stream_info: StreamInfo, **kwargs: Any) -> bool:
        if (stream_info.extension or "").lower() in EXTENSIONS:
            return True
        if (stream_info.mimetype or "").lower() in MIME_TYPES:
            return True
        return is_hwp_content(file_stream)

    def convert(self, file_stream: BinaryIO, stream_info: StreamInfo, **kwargs: Any) -> DocumentConverterResult:
        document = parse(file_stream, profile=self.profile, image_prefix=None)
        return DocumentConverterResult(markdown=document.markdown, title=document.metadata.get("title"))


def register_converters(markitdown: MarkItDown, **kwargs: Any) -> None:
    """Called by MarkItDown when plugins are enabled; `kwargs` are those given to
    MarkItDown(), of which ``brindle_profile`` chooses the profile."""
    # Ahead of the generic converters (the ZIP one would take an HWPX package for an
    # archive of XML files); among the specific ones, registered last, so tried first.
    markitdown.register_converter(
        HwpConverter(profile=kwargs.get("brindle_profile", "full")), priority=PRIORITY_SPECIFIC_FILE_FORMAT
    )
