"""The metadata every loader gives a document: its format and its properties, as JSON
values, so that any framework's document store can keep them."""

from __future__ import annotations

import datetime
from typing import Any

from .._document import ISO_FORMAT, Document

__all__ = ["document_metadata"]


def document_metadata(document: Document) -> dict[str, Any]:
    """``format`` ("hwp" or "hwpx") and each property the document has (``title``,
    ``subject``, ``author``, ``keywords``, ``comments``, ``last_saved_by``, ``created``,
    ``modified``), the dates as ISO 8601 in UTC, "2024-03-05T09:30:00Z", as the command
    line writes them."""
    found: dict[str, Any] = {"format": document.format}
    for key, value in document.metadata.items():
        found[key] = value.strftime(ISO_FORMAT) if isinstance(value, datetime.datetime) else value
    return found
