"""A LangChain document loader for HWP and HWPX documents.

    from brindle.integrations.langchain import BrindleLoader

    for document in BrindleLoader("reports/").lazy_load():       # every .hwp, .hwpx and .hml below
        print(document.metadata["source"], len(document.page_content))
    blocks = BrindleLoader("report.hwp", mode="elements").load()  # a Document per block
    chunks = BrindleLoader("report.hwp", mode="chunks", chunk_size=1500).load()  # ready to embed

Documents are converted on brindle's pool of threads (`brindle.convert_many`) as the
loader is iterated, so a folder of any size is loaded in bounded memory.
"""

from __future__ import annotations

import logging
import os
from collections.abc import Iterable, Iterator
from pathlib import Path
from typing import Any, Literal

from langchain_core.document_loaders import BaseLoader
from langchain_core.documents import Document

import brindle

from .._api import _check_profile
from .._batch import _check_workers
from .._blocks import blocks, category, heading
from .._chunks import check_size
from .._walk import walk_documents
from ._metadata import chunk_metadata, document_fields, document_metadata

__all__ = ["BrindleLoader"]

logger = logging.getLogger(__name__)

PathLike = str | os.PathLike[str]
Mode = Literal["single", "elements", "chunks"]
OnError = Literal["raise", "skip"]


def elements(markdown: str) -> Iterator[tuple[str, dict[str, Any]]]:
    """Each top-level block of brindle's Markdown with its `category`, its
    `element_index`, its `start_index` (offset in the Markdown) and its `headings`:
    the text of the ATX headings it stands under, outermost first (a heading's own
    text last in its own). Joined with blank lines the blocks are the Markdown again:
    brindle writes a blank line only between blocks (table rows, quoted lines and the
    lines of an equation are never apart)."""
    path: list[tuple[int, str]] = []
    for index, (offset, block) in enumerate(blocks(markdown)):
        kind = category(block)
        found = heading(block) if kind == "heading" else None
        if found is not None:
            level = found[0]
            while path and path[-1][0] >= level:
                path.pop()
            path.append(found)
        yield (
            block,
            {
                "category": kind,
                "element_index": index,
                "start_index": offset,
                "headings": [text for _, text in path],
            },
        )


def _named(error: Exception, source: str) -> Exception:
    """`error` with a message that names the file (DocumentError's alone does not)."""
    if isinstance(error, brindle.DocumentError):
        named = type(error)(f"{source}: {error.message}", error.filename)
        named.__traceback__ = error.__traceback__
        return named
    return error


class BrindleLoader(BaseLoader):
    """Loads HWP 5.0, HWPX and HWPML documents as LangChain Documents of Markdown.

    `paths_or_dir` is one document's path, a directory or an iterable of paths (a
    generator is consumed as the loader goes). In a directory, by default every file
    whose name ends in ``.hwp``, ``.hwpx`` or ``.hml`` (in any case) is loaded, in it and in all
    directories below it, depth first in name order, as the command line walks a
    folder (links to directories are not followed); `glob` (a `pathlib.Path.glob` pattern such
    as ``"*.hwp"`` or ``"2024/**/*.hwpx"``) chooses other files, in the order the
    system lists them.

    With `mode` "single" each document gives one Document whose ``page_content`` is
    its whole Markdown; with "elements", one Document per top-level block of the
    Markdown (a heading, a paragraph, a list item, a whole table, ...), whose metadata
    adds ``category``, ``element_index``, ``start_index`` and ``headings`` (see
    `elements`); with "chunks", one Document per piece of `brindle.Document.chunks`
    (of at most `chunk_size` characters, cut at headings first, then between
    blocks; a long table between rows, repeating its header row), whose metadata
    adds ``headings`` (the heading path, outermost first, from the document's
    outline), ``chunk_index``, ``start_index`` and, where the document stores its
    layout, ``first_page`` and ``last_page``: the same keys as the other loaders'
    chunks. Every Document's metadata holds ``source`` (the path, as a str),
    ``format`` ("hwp", "hwpx" or "hwpml") and each property the document has: ``title``,
    ``subject``, ``author``, ``keywords``, ``comments``, ``last_saved_by``, and
    ``created`` and ``modified`` as ISO 8601 strings in UTC ("2024-03-05T09:30:00Z"),
    and for a form its click-here fields, ``fields``: a list of ``{"name", "guide",
    "value"}`` objects in document order (`brindle.Document.fields`).

    Pictures are placeholders in the text (``[이미지: caption]``), as in
    `brindle.convert`: a Document carries no picture. With `image_prefix` (such as
    ``"images/"``) they are linked as ``![caption](images/BIN0001.png)`` instead and
    the metadata's ``images`` lists the file names; `brindle.parse` gives their bytes.

    `profile` is brindle's ("full" or "exact"); `workers` the number of threads
    (default: one per CPU).

    A document that cannot be read raises, with `on_error` "raise" (the default), the
    exception `brindle.convert` raises, a DocumentError naming the file or an OSError.
    With "skip" it is logged as a warning on this module's logger and skipped, and the
    other documents are loaded; so is a directory of the walk that cannot be listed.
    """

    def __init__(
        self,
        paths_or_dir: PathLike | Iterable[PathLike],
        *,
        profile: brindle.Profile = "full",
        glob: str | None = None,
        mode: Mode = "single",
        workers: int | None = None,
        on_error: OnError = "raise",
        image_prefix: str | None = None,
        chunk_size: int = 2000,
    ) -> None:
        if mode not in ("single", "elements", "chunks"):
            raise ValueError(f"mode must be 'single', 'elements' or 'chunks', not {mode!r}")
        if on_error not in ("raise", "skip"):
            raise ValueError(f"on_error must be 'raise' or 'skip', not {on_error!r}")
        _check_profile(profile)
        _check_workers(workers)
        self.paths_or_dir = paths_or_dir
        self.profile: brindle.Profile = profile
        self.glob = glob
        self.mode: Mode = mode
        self.workers = workers
        self.on_error: OnError = on_error
        self.image_prefix = image_prefix
        self.chunk_size = check_size(chunk_size, "chunk_size")

    def _paths(self) -> Iterator[PathLike]:
        given = self.paths_or_dir
        if not isinstance(given, (str, os.PathLike)):
            yield from given
        elif not os.path.isdir(given):
            yield given  # a file, or what convert reports as missing
        elif self.glob is None:
            for path, error in walk_documents(os.fspath(given)):
                if error is None:
                    yield path
                elif self.on_error == "raise":
                    raise error
                else:
                    logger.warning("skipped %s: %s", path, error)
        else:
            yield from (path for path in Path(given).glob(self.glob) if path.is_file())

    def lazy_load(self) -> Iterator[Document]:
        results = brindle.convert_many(
            self._paths(), workers=self.workers, profile=self.profile, parse=True, image_prefix=self.image_prefix
        )
        try:
            for result in results:
                source = os.fspath(result.source)
                if result.document is None:
                    error = result.error or RuntimeError(f"{source}: not converted")
                    if self.on_error == "raise":
                        raise _named(error, source)
                    logger.warning("skipped %s: %s", source, error)
                    continue
                metadata = {"source": source, **document_metadata(result.document), **document_fields(result.document)}
                if self.image_prefix is not None:
                    metadata["images"] = list(result.document.images)
                if self.mode == "single":
                    yield Document(page_content=result.document.markdown, metadata=metadata)
                elif self.mode == "chunks":
                    for chunk in result.document.chunks(self.chunk_size):
                        yield Document(page_content=chunk.text, metadata={**metadata, **chunk_metadata(chunk)})
                else:
                    for block, about in elements(result.document.markdown):
                        yield Document(page_content=block, metadata={**metadata, **about})
        finally:
            results.close()  # stops the pool when the caller stops early
