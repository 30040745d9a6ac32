"""brindle as a Haystack 2 converter: HWP and HWPX documents to Haystack Documents.

    from haystack import Pipeline
    from brindle.integrations.haystack import BrindleConverter

    pipeline = Pipeline()
    pipeline.add_component("converter", BrindleConverter())
    pipeline.run({"converter": {"sources": ["report.hwp", "minutes.hwpx"]}})

Each document's content is its Markdown; its meta holds the file's path (or name),
the format, the document's own properties and, for a form, its click-here fields
(``fields``, a list of ``{"name", "guide", "value"}`` objects). Like Haystack's converters, a source
that cannot be read or converted is logged as a warning and skipped. With
``mode="chunks"`` each document gives one Document per piece of
`brindle.Document.chunks`, with its heading path in its meta.
"""

from __future__ import annotations

import os
from dataclasses import dataclass
from pathlib import Path
from typing import Any, Literal

from haystack import Document, component, default_from_dict, default_to_dict, logging
from haystack.components.converters.utils import normalize_metadata
from haystack.dataclasses import ByteStream

from .._api import Profile, _check_profile
from .._batch import _check_workers, convert_many
from .._chunks import check_size
from ._metadata import chunk_metadata, document_fields, document_metadata

__all__ = ["BrindleConverter"]

Mode = Literal["single", "chunks"]

logger = logging.getLogger(__name__)


@dataclass(frozen=True)
class _Pending:
    """A source ready for brindle: what it was, what brindle reads, and its meta."""

    source: str | Path | ByteStream
    document: str | Path | bytes
    file_meta: dict[str, Any]
    meta: dict[str, Any]


@component
class BrindleConverter:
    """Converts HWP 5.0, HWPX and HWPML documents to Markdown Documents.

    Usage example:

    ```python
    from brindle.integrations.haystack import BrindleConverter

    converter = BrindleConverter()
    documents = converter.run(sources=["report.hwp"], meta={"batch": 7})["documents"]
    print(documents[0].meta["title"], documents[0].content[:80])
    ```

    The documents are converted in parallel on brindle's thread pool, and returned in
    the order of the sources.
    """

    def __init__(
        self,
        profile: Profile = "full",
        store_full_path: bool = False,
        workers: int | None = None,
        mode: Mode = "single",
        chunk_size: int = 2000,
    ) -> None:
        """
        Create a BrindleConverter component.

        :param profile:
            brindle's conversion rules: "full" (everything the reader sees, outline
            headings as ATX headings) or "exact".
        :param store_full_path:
            If True, the full path of the file is stored in the metadata of the document.
            If False, only the file name is stored.
        :param workers:
            The number of threads converting documents; None for one per CPU.
        :param mode:
            "single": one Document per source, its whole Markdown. "chunks": one
            Document per piece of the Markdown (`brindle.Document.chunks`: cut at
            headings first, then between blocks; a long table between rows, repeating
            its header row), whose meta adds ``headings`` (the heading path, outermost
            first), ``chunk_index``, ``start_index`` (where the piece starts in the
            Markdown) and, where the document stores its layout, ``first_page`` and
            ``last_page``: the keys of the other loaders' chunks.
        :param chunk_size:
            With "chunks", the most characters a piece holds, unless one block, table
            row or sentence alone is longer.
        """
        _check_profile(profile)
        _check_workers(workers)
        if mode not in ("single", "chunks"):
            raise ValueError(f"mode must be 'single' or 'chunks', not {mode!r}")
        self.profile: Profile = profile
        self.store_full_path = store_full_path
        self.workers = workers
        self.mode: Mode = mode
        self.chunk_size = check_size(chunk_size, "chunk_size")

    def to_dict(self) -> dict[str, Any]:
        """
        Serializes the component to a dictionary.

        :returns:
            Dictionary with serialized data.
        """
        return default_to_dict(
            self,
            profile=self.profile,
            store_full_path=self.store_full_path,
            workers=self.workers,
            mode=self.mode,
            chunk_size=self.chunk_size,
        )

    @classmethod
    def from_dict(cls, data: dict[str, Any]) -> BrindleConverter:
        """
        Deserializes the component from a dictionary.

        :param data:
            The dictionary to deserialize from.
        :returns:
            The deserialized component.
        """
        return default_from_dict(cls, data)

    @component.output_types(documents=list[Document])
    def run(
        self, sources: list[str | Path | ByteStream], meta: dict[str, Any] | list[dict[str, Any]] | None = None
    ) -> dict[str, list[Document]]:
        """
        Converts HWP and HWPX documents to Documents.

        :param sources:
            List of file paths or ByteStream objects. Paths are read by brindle itself,
            not loaded into memory first.
        :param meta:
            Optional metadata to attach to the Documents.
            This value can be either a list of dictionaries or a single dictionary.
            If it's a single dictionary, its content is added to the metadata of all produced Documents.
            If it's a list, the length of the list must match the number of sources, because the two lists will
            be zipped.
            If `sources` contains ByteStream objects, their `meta` will be added to the output Documents.
            The document's own properties ("format", and those it sets of "title", "subject",
            "author", "keywords", "comments", "last_saved_by", "created", "modified"; dates as
            ISO 8601 strings) come first, so that a ByteStream's meta and `meta` override them.

        :returns:
            A dictionary with the following keys:
            - `documents`: Created Documents
        """
        meta_list = normalize_metadata(meta=meta, sources_count=len(sources))
        pending: list[_Pending] = []
        for source, metadata in zip(sources, meta_list, strict=True):
            if isinstance(source, ByteStream):
                pending.append(_Pending(source, source.data, source.meta, metadata))
            elif isinstance(source, (str, Path)):
                # The meta get_bytestream_from_source gives a path, without reading the file here.
                pending.append(_Pending(source, source, {"file_path": str(source)}, metadata))
            else:
                logger.warning(
                    "Could not read {source}. Skipping it. Error: {error}",
                    source=source,
                    error=f"Unsupported source type {type(source)}",
                )

        documents = []
        results = convert_many(
            (item.document for item in pending),
            workers=self.workers,
            profile=self.profile,
            parse=True,
            image_prefix=None,  # a Document holds no pictures: keep the placeholders
        )
        for item, result in zip(pending, results, strict=True):
            if result.document is None:
                if isinstance(result.error, OSError):
                    logger.warning(
                        "Could not read {source}. Skipping it. Error: {error}", source=item.source, error=result.error
                    )
                else:
                    logger.warning(
                        "Could not convert {source}. Skipping it. Error: {error}",
                        source=item.source,
                        error=result.error,
                    )
                continue

            merged_metadata = {
                **document_metadata(result.document),
                **document_fields(result.document),
                **item.file_meta,
                **item.meta,
            }
            if not self.store_full_path and (file_path := item.file_meta.get("file_path")):
                merged_metadata["file_path"] = os.path.basename(file_path)
            if self.mode == "single":
                documents.append(Document(content=result.document.markdown, meta=merged_metadata))
            else:
                documents.extend(
                    Document(content=chunk.text, meta={**merged_metadata, **chunk_metadata(chunk)})
                    for chunk in result.document.chunks(self.chunk_size)
                )

        return {"documents": documents}
