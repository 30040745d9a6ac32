"""Parsing one document whole: its Markdown, its pictures, its properties, its outline
and its pages."""

from __future__ import annotations

import datetime
from collections.abc import Mapping
from dataclasses import dataclass, field
from types import MappingProxyType
from typing import Literal, TypedDict

from . import _native
from ._api import Profile, Source, _check_profile, _run
from ._chunks import Chunk, check_size, chunk_markdown

__all__ = ["Chunk", "Document", "FormField", "Heading", "Metadata", "parse"]

Format = Literal["hwp", "hwpx", "hwpml"]


class Metadata(TypedDict, total=False):
    """The properties a document keeps about itself. A property the document leaves
    empty or unset is absent; dates are timezone-aware ``datetime`` values in UTC."""

    title: str
    subject: str
    author: str
    keywords: str
    comments: str
    last_saved_by: str
    created: datetime.datetime
    modified: datetime.datetime


METADATA_KEYS: tuple[str, ...] = (
    "title",
    "subject",
    "author",
    "keywords",
    "comments",
    "last_saved_by",
    "created",
    "modified",
)
_DATES = frozenset({"created", "modified"})
# How the core gives dates, and how the command line writes them: UTC, to the second.
ISO_FORMAT = "%Y-%m-%dT%H:%M:%SZ"


@dataclass(frozen=True)
class FormField:
    """A click-here form field: its `name` (may be empty), its `guide` (the direction
    text the word processor shows in the empty field; may be empty) and its `value`,
    what fills it, or None while it still shows only its guide."""

    name: str
    guide: str
    value: str | None


@dataclass(frozen=True)
class Heading:
    """A heading of the document's outline: its `level` (1 to 6, the number of ``#``
    the Markdown writes it with), its `text` as the reader sees it (no Markdown marks
    or escapes; a numbered heading keeps its number, "1. 개요"), and `start`, where its
    line starts in `Document.markdown`."""

    level: int
    text: str
    start: int


@dataclass(frozen=True)
class Document:
    """A parsed document.

    `markdown` is the document's Markdown, in which (with the full profile) each
    picture the document holds is linked to its file, ``![caption](images/BIN0001.png)``;
    a picture kept outside the document stays a placeholder with the path it is
    linked to. `images` maps each picture's file name (unique in the document and
    safe as a file name: letters, digits, ``-``, ``_``, ``.``) to its bytes as
    stored, each picture once however often it is shown; the extension is the one
    its bytes call for (``.png``, ``.jpg``, ``.gif``, ``.bmp``, ``.wmf``, ``.emf``,
    ``.tif``, ``.webp``, or ``.bin`` for an unknown kind). `metadata` holds the
    document's properties; `format` is "hwp" (HWP 5.0), "hwpx" or "hwpml". `warnings` lists
    the damage the conversion read past, a short message each (the part or stream,
    the byte offset where it can tell, what went wrong); it is empty for a sound
    document. `fields` lists the document's click-here form fields (`FormField`), in
    document order, wherever they stand: the body, table cells, text boxes, page
    headers and footers, notes (the exact profile gives those its rules describe:
    not a field that follows another control in its paragraph).

    `outline` lists the headings the Markdown writes (`Heading`), in document order;
    `page_starts` the pages, each as (page number, where its first block starts in
    `markdown`), in order, when the document stores its layout (else, and with the
    exact profile, both are empty). `chunks` cuts the Markdown into pieces for
    retrieval."""

    markdown: str
    images: Mapping[str, bytes] = field(default_factory=lambda: MappingProxyType({}))
    metadata: Metadata = field(default_factory=lambda: Metadata())
    format: Format = "hwp"
    warnings: list[str] = field(default_factory=list)
    fields: list[FormField] = field(default_factory=list)
    outline: list[Heading] = field(default_factory=list)
    page_starts: list[tuple[int, int]] = field(default_factory=list)

    @property
    def page_count(self) -> int | None:
        """The number of the last page a block starts on; None when the document
        stores no layout."""
        return max((page for page, _ in self.page_starts), default=None)

    def chunks(self, max_chars: int = 2000) -> list[Chunk]:
        """The Markdown in pieces for retrieval, each a `Chunk` of at most `max_chars`
        characters (its repeated table header included) unless it is one block, one
        table row or one sentence longer than that.

        A heading (each of `outline`) starts a new piece, and the piece holds it.
        Between headings the blocks (what the Markdown has between blank lines:
        paragraphs, list items, tables, equations, ...) are taken in order, each into
        the piece before it while that stays within `max_chars`, else into a new one;
        a block is cut only when it alone is longer than `max_chars`: a table between
        its rows (never inside one), each piece after the first starting with the
        table's header row and delimiter row again; a paragraph, list item or note at
        its sentence ends (the Korean "다.", and ".", "?", "!" before white space,
        after a word of two characters or more), its sentences then taken as blocks
        are; any other block stays whole. A page marker (``<!-- page N -->``, see
        `parse`) stays with the block after it. The same Markdown always gives the
        same pieces.

        Joined, the pieces give the Markdown back: each is preceded by its
        `Chunk.separator` and loses its `Chunk.repeated` start::

            "".join(c.separator + c.text[len(c.repeated):] for c in chunks) == markdown

        that is, a blank line between blocks, a line feed between table rows, and the
        white space the cut took out inside a paragraph."""
        return chunk_markdown(self.markdown, self.outline, self.page_starts, check_size(max_chars, "max_chars"))


def _metadata(fields: list[tuple[str, str]]) -> Metadata:
    found = dict(fields)
    metadata = Metadata()
    for key in METADATA_KEYS:
        value = found.get(key)
        if value is None:
            continue
        if key in _DATES:
            metadata[key] = datetime.datetime.strptime(value, ISO_FORMAT).replace(  # type: ignore[literal-required]
                tzinfo=datetime.timezone.utc
            )
        else:
            metadata[key] = value  # type: ignore[literal-required]
    return metadata


def json_metadata(metadata: Metadata) -> dict[str, str]:
    """The properties as JSON values: the dates in ISO_FORMAT, as the command line
    writes them and the loaders give them."""
    return {
        key: value.strftime(ISO_FORMAT) if isinstance(value, datetime.datetime) else str(value)
        for key, value in metadata.items()
    }


def _document(parsed: _native.Parsed) -> Document:
    markdown, images, properties, format_, warnings, fields, outline, pages = parsed
    return Document(
        markdown=markdown,
        images=MappingProxyType(dict(images)),
        metadata=_metadata(properties),
        format="hwpx" if format_ == "hwpx" else "hwpml" if format_ == "hwpml" else "hwp",
        warnings=warnings,
        fields=[FormField(*f) for f in fields],
        outline=[Heading(*h) for h in outline],
        page_starts=pages,
    )


def parse(
    source: Source, *, profile: Profile = "full", image_prefix: str | None = "images/", page_markers: bool = False
) -> Document:
    """The document parsed whole: a `Document` with its Markdown, its pictures, its
    properties and its format. Takes the same sources, releases the interpreter lock
    and raises the same errors as `convert`.

    With the full profile (the default) the Markdown is `convert`'s, except that each
    picture the document holds is linked to its file in `images`, as
    ``![caption](<image_prefix><name>)``, and a picture linked from outside the
    document shows the path it is linked to in its placeholder; `image_prefix`
    (``"images/"`` by default) is written before each name, with the characters that
    would end a Markdown link (spaces, parentheses, ``<``, ``>``, ``%``, ``\\``)
    percent-encoded; with `image_prefix` None the pictures stay placeholders, as in
    `convert`, and `images` is empty. With the exact profile the Markdown is
    ``convert(source, profile="exact")`` and `images` is empty. `metadata` is read
    in both.

    With `page_markers` the full profile writes ``<!-- page N -->`` and a blank line
    before the first block of each page, where the document stores its layout; the
    exact profile writes none, and has no `outline` or `page_starts`."""
    _check_profile(profile)
    if image_prefix is not None and not isinstance(image_prefix, str):
        raise TypeError(f"image_prefix must be a str or None, not {type(image_prefix).__name__}")
    if not isinstance(page_markers, bool):
        raise TypeError(f"page_markers must be a bool, not {type(page_markers).__name__}")
    return _document(
        _run(
            source,
            lambda path: _native.parse_path(path, profile, image_prefix, page_markers),
            lambda data: _native.parse_buffer(data, profile, image_prefix, page_markers),
        )
    )
