"""A LlamaIndex file reader for HWP and HWPX documents.

    from llama_index.core import SimpleDirectoryReader
    from brindle.integrations.llamaindex import BrindleReader

    reader = BrindleReader()                      # BrindleReader(mode="chunks") for pieces ready to embed
    documents = SimpleDirectoryReader("reports/", file_extractor={".hwp": reader, ".hwpx": reader}).load_data()

Each file becomes a Document of its Markdown, with the document's format and properties
in its metadata (`BrindleReader`).
"""

from __future__ import annotations

import os
from collections.abc import Iterator
from contextlib import AbstractContextManager
from pathlib import PurePath
from typing import Any, Literal, Protocol

from llama_index.core.readers.base import BaseReader
from llama_index.core.schema import Document

import brindle

from .._api import _check_profile
from .._chunks import check_size
from ._metadata import chunk_metadata, document_metadata

__all__ = ["BrindleReader"]

Mode = Literal["single", "chunks"]


class FileSystem(Protocol):
    """What the reader uses of an fsspec file system (``fsspec.AbstractFileSystem``)."""

    def open(self, path: str, mode: str = "rb") -> AbstractContextManager[Any]: ...


# Kept out of the text embedded and shown to the model, as SimpleDirectoryReader
# keeps the file's dates out: they tell nothing of the content.
EXCLUDED_KEYS = ("format", "created", "modified", "last_saved_by")
# A piece's place among the others tells nothing of it either; its pages are for the
# model to cite, not to embed. Its heading path is context for both.
EXCLUDED_EMBED_CHUNK_KEYS = ("chunk_index", "start_index", "first_page", "last_page")
EXCLUDED_LLM_CHUNK_KEYS = ("chunk_index", "start_index")


class BrindleReader(BaseReader):
    """Reads one HWP 5.0, HWPX or HWPML document (told apart by its content) into one
    Document whose text is its Markdown, by brindle's `profile` ("full" or "exact").
    Pictures stay placeholders (``[이미지: caption]``), as in `brindle.convert`.

    The Document's metadata is `extra_info` (what SimpleDirectoryReader gives: the
    file_path, file_name, file_size, ...) with ``format`` ("hwp", "hwpx" or "hwpml") and each
    property the document has: ``title``, ``subject``, ``author``, ``keywords``,
    ``comments``, ``last_saved_by``, and ``created`` and ``modified`` (the document's
    own dates, not the file's) as ISO 8601 strings in UTC, "2024-03-05T09:30:00Z";
    a key of `extra_info` takes precedence. ``format``, the dates and
    ``last_saved_by`` are kept out of the text embedded and given to the model.

    With `mode` "chunks" each document gives one Document per piece of
    `brindle.Document.chunks` (of at most `chunk_size` characters, cut at headings
    first, then between blocks; a long table between rows, repeating its header
    row), whose metadata adds ``headings`` (the heading path, outermost first, as
    one str joined with " > ", since LlamaIndex keeps its metadata flat:
    "1. 개요 > 가. 목적"), ``chunk_index``, ``start_index`` and, where the document
    stores its layout, ``first_page`` and ``last_page``: the keys of the other
    loaders' chunks. The index, the start and the pages are kept out of the text
    embedded, the index and the start out of the text given to the model. A
    LlamaIndex node parser run over such pieces cuts only those still too long.

    A document that cannot be read raises what `brindle.convert` raises (a
    DocumentError or an OSError), so that SimpleDirectoryReader skips it and reports
    it or, with ``raise_on_error=True``, raises.
    """

    def __init__(self, *, profile: brindle.Profile = "full", mode: Mode = "single", chunk_size: int = 2000) -> None:
        _check_profile(profile)
        if mode not in ("single", "chunks"):
            raise ValueError(f"mode must be 'single' or 'chunks', not {mode!r}")
        self.profile: brindle.Profile = profile
        self.mode: Mode = mode
        self.chunk_size = check_size(chunk_size, "chunk_size")

    def lazy_load_data(
        self,
        file: str | os.PathLike[str],
        extra_info: dict[str, Any] | None = None,
        fs: FileSystem | None = None,
    ) -> Iterator[Document]:
        """The document at `file`, read through the fsspec file system `fs` when one is
        given (SimpleDirectoryReader passes its own when it is not the local one)."""
        yield from self._read(file, extra_info, fs)

    def load_data(
        self,
        file: str | os.PathLike[str],
        extra_info: dict[str, Any] | None = None,
        fs: FileSystem | None = None,
    ) -> list[Document]:
        return self._read(file, extra_info, fs)

    def _read(
        self, file: str | os.PathLike[str], extra_info: dict[str, Any] | None, fs: FileSystem | None
    ) -> list[Document]:
        if fs is None:
            parsed = brindle.parse(file, profile=self.profile, image_prefix=None)
        else:
            # A remote path is posix whatever the system: str(PurePosixPath), not fspath.
            name = str(file) if isinstance(file, PurePath) else os.fspath(file)
            with fs.open(name, "rb") as stream:
                data = stream.read()
            try:
                parsed = brindle.parse(data, profile=self.profile, image_prefix=None)
            except brindle.DocumentError as error:  # name the file the bytes came from
                raise type(error)(error.message, name) from None
        metadata = {**document_metadata(parsed), **(extra_info or {})}
        if self.mode == "single":
            return [
                Document(
                    text=parsed.markdown,
                    metadata=metadata,
                    excluded_embed_metadata_keys=list(EXCLUDED_KEYS),
                    excluded_llm_metadata_keys=list(EXCLUDED_KEYS),
                )
            ]
        return [
            Document(
                text=chunk.text,
                metadata={**metadata, **chunk_metadata(chunk, flat=True)},
                excluded_embed_metadata_keys=[*EXCLUDED_KEYS, *EXCLUDED_EMBED_CHUNK_KEYS],
                excluded_llm_metadata_keys=[*EXCLUDED_KEYS, *EXCLUDED_LLM_CHUNK_KEYS],
            )
            for chunk in parsed.chunks(self.chunk_size)
        ]
