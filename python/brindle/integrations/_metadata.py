"""The metadata every loader gives a document: its format and its properties, as JSON
values, so that any framework's document store can keep them."""

from __future__ import annotations

import dataclasses
from typing import Any

from .._document import Document, json_metadata

__all__ = ["document_fields", "document_metadata"]


def document_metadata(document: Document) -> dict[str, Any]:
    """``format`` ("hwp" or "hwpx") and each property the document has (``title``,
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
