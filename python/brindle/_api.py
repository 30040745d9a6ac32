"""Converting one document: the sources a document can come from, and the calls."""

from __future__ import annotations

import logging
import os
import sys
from collections.abc import Callable
from typing import Literal, Protocol, TypeAlias, TypeVar, Union

if sys.version_info >= (3, 12):
    from collections.abc import Buffer
else:
    from typing_extensions import Buffer

from . import _native
from ._errors import from_failure

__all__ = ["Source", "Profile", "convert", "records"]


class Readable(Protocol):
    """A binary file object: anything with read() returning bytes."""

    def read(self, size: int = -1, /) -> bytes: ...


# A union object, not a string, so that it resolves wherever it is used
# (typing.get_type_hints of parse or convert_many, documentation tools).
Source: TypeAlias = Union[str, os.PathLike[str], Buffer, Readable]
"""A document: a path (str or os.PathLike), its bytes (bytes, bytearray, memoryview or
any object with the buffer protocol), or a binary file object (read whole)."""

Profile: TypeAlias = Literal["full", "exact"]
"""The conversion's rules. "full" (the default) keeps everything the reader of the
document sees: footnotes and endnotes, headers and footers, paragraph numbers,
bullets and outline headings, links, captions, tables laid out to be read (cells at
their own addresses, empty rows and columns left out), the text of drawing objects
wherever they stand, tabs and line breaks, escaped so that the Markdown renders as
the document reads. "exact" is byte for byte what ``_brindle.hwp_to_markdown``
gives."""

PROFILES: tuple[str, ...] = ("full", "exact")

_log = logging.getLogger("brindle")

T = TypeVar("T")


def _run(
    source: Source,
    from_path: Callable[[bytes], T],
    from_buffer: Callable[[Buffer], T],
) -> T:
    filename: str | os.PathLike[str] | None = None
    try:
        if isinstance(source, (str, os.PathLike)):
            filename = source
            path = os.fsencode(source)
            if b"\0" in path:
                raise ValueError("embedded null byte")  # as open() says it
            return from_path(path)
        view = _view(source)
        if view is not None:
            return from_buffer(view if view.c_contiguous else view.tobytes())
        read = getattr(source, "read", None)
        if callable(read):
            data = read()
            if _view(data) is None:
                raise TypeError(f"read() of the file object returned {type(data).__name__}, not bytes")
            return from_buffer(data)
    except _native.Failure as failure:
        raise from_failure(failure, filename) from None
    raise TypeError(
        "source must be a path (str or os.PathLike), the document's bytes (a bytes-like object) "
        f"or a binary file object, not {type(source).__name__}"
    )


def _view(source: object) -> memoryview | None:
    """A view of `source` when it has the buffer protocol. Asked of the object itself
    rather than of `Buffer`, which before Python 3.12 knows only the built-in types."""
    try:
        return memoryview(source)  # type: ignore[arg-type]
    except TypeError:
        return None


def _check_profile(profile: str) -> None:
    if profile not in PROFILES:
        raise ValueError(f"unknown profile {profile!r}; the profiles are {', '.join(map(repr, PROFILES))}")


def convert(source: Source, *, profile: Profile = "full") -> str:
    """The Markdown of one HWP document: HWP 5.0 (a compound file), HWPX (the ZIP
    package of OWPML XML parts) or HWPML (the one XML file the word processor saved
    before HWPX), told apart by its content, not its name. An HWPX or HWPML document
    gives the Markdown its HWP 5.0 twin gives, by either profile.

    `source` is the document: a path (``str`` or any ``os.PathLike``), its bytes
    (``bytes``, ``bytearray``, ``memoryview`` or any object with the buffer protocol),
    or a binary file object (anything with ``read()``; read whole). Anything else is a
    TypeError.

    `profile` chooses the conversion's rules: "full" (the default) keeps everything
    the reader sees (notes, headers and footers, numbers and bullets, headings,
    links, captions, tables laid out to be read, the text of drawing objects);
    "exact" gives byte for byte what ``_brindle.hwp_to_markdown`` gives for the
    same HWP 5.0 file (``_brindle`` reads HWP 5.0 only), and for an HWPX or HWPML
    document what those rules give for its twin.

    The interpreter lock is released while the document is read and converted, so
    conversions on several threads run in parallel. A buffer other than ``bytes`` is
    copied first, so that changing it meanwhile cannot affect the conversion.

    Raises the matching OSError (FileNotFoundError, IsADirectoryError,
    PermissionError, ...) when the system refuses to open or read the file; a
    DocumentError subclass (NotACompoundFileError, NotAnHwpDocumentError,
    PasswordProtectedError, DamagedDocumentError) when the document cannot be read
    (a ZIP archive that is no HWPX document, such as a .docx, is
    NotAnHwpDocumentError; an HWPX package whose parts are encrypted,
    PasswordProtectedError),
    and with the full profile DistributionProtectedError for a document saved for
    distribution, whose text is encrypted (the exact profile converts the notice such
    a document holds in its place); MemoryError when the document exceeds one of the
    converter's bounds. An HWPX document whose section part is missing, empty, not
    XML or declares a DTD is DamagedDocumentError; so is an HWPML document that is not
    well-formed XML (the message gives the line and column), whose document type
    declares more than simple internal entities, or whose encoding is not UTF-8,
    UTF-16 or the legacy Korean one (an HWPML file cut short keeps the text before the
    break, with a warning). Other XML, and an HTML page, is NotAnHwpDocumentError. Beyond that a conversion never
    fails: damaged content yields less text, and what was read past (a section cut
    short, a record cut short, ...) is logged as a warning on the ``brindle``
    logger, one message per damage (`parse` gives them as `Document.warnings`).
    """
    markdown, warnings = _converted(source, profile)
    if warnings:
        name = _source_name(source)
        for warning in warnings:
            _log.warning("%s: %s", name, warning)
    return markdown


def _converted(source: Source, profile: Profile) -> tuple[str, list[str]]:
    """The Markdown and the warnings of a conversion."""
    _check_profile(profile)
    return _run(
        source,
        lambda path: _native.convert_path(path, profile),
        lambda data: _native.convert_buffer(data, profile),
    )


def _source_name(source: Source) -> str:
    """How a warning names its document: its path, or what kind of source it was."""
    if isinstance(source, (str, os.PathLike)):
        return os.fsdecode(source)
    name = getattr(source, "name", None)
    return name if isinstance(name, str) else f"<{type(source).__name__}>"


def records(source: Source) -> list[tuple[int, int, int]]:
    """The ``(tag_id, level, size)`` of each record of the document's first body
    section, a debugging aid. Takes the same sources and raises the same errors as
    `convert`; a first section that cannot be read is an error too. HWPX documents
    have no binary records: for one, NotAnHwpDocumentError says so."""
    return _run(source, _native.records_path, _native.records_buffer)
