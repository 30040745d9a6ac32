"""The metadata every loader gives a document: its format and its properties, as JSON
values, so that any framework's document store can keep them; and in the loaders'
chunked modes where each piece stands."""

from __future__ import annotations

import dataclasses
from typing import Any

from .._chunks import Chunk
from .._document import Document, json_metadata

__all__ = ["HEADING_PATH_SEPARATOR", "chunk_metadata", "document_fields", "document_metadata"]

# How a flat metadata (LlamaIndex's) writes a heading path: "1. 개요 > 가. 목적".
HEADING_PATH_SEPARATOR = " > "


def document_metadata(document: Document) -> dict[str, Any]:
    """``format`` ("hwp", "hwpx" or "hwpml") and each property the document has (``title``,
    ``subject``, ``author``, ``keywords``, ``comments``, ``last_saved_by``, ``created``,
    ``modified``), the dates as ISO 8601 in UTC, "2024-03-05T09:30:00Z", as the command
    line writes them."""
    return {"format": document.format, **json_metadata(document.metadata)}


def document_fields(document: Document) -> dict[str, Any]:
    """``fields``, the document's click-here form fields as JSON objects with keys
    ``name``, ``guide`` and ``value`` (null while a field shows only its guide), for
    the frameworks whose metadata takes a list; nothing when it has none."""
    if not document.fields:
        return {}
    return {"fields": [dataclasses.asdict(field) for field in document.fields]}


def chunk_metadata(chunk: Chunk, *, flat: bool = False) -> dict[str, Any]:
    """Where a piece of `Document.chunks` stands, under the same keys in every loader:
    ``headings`` (the path of heading texts it falls under, outermost first: a list,
    or with `flat` one str joined by " > "), ``chunk_index`` (from 0), ``start_index``
    (where its own text starts in the document's Markdown) and, when the document
    stores its layout, ``first_page`` and ``last_page``."""
    headings: list[str] | str = list(chunk.headings)
    if flat:
        headings = HEADING_PATH_SEPARATOR.join(chunk.headings)
    metadata: dict[str, Any] = {"headings": headings, "chunk_index": chunk.index, "start_index": chunk.start}
    if chunk.pages is not None:
        metadata["first_page"], metadata["last_page"] = chunk.pages
    return metadata
