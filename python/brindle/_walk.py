"""Finding the documents of a folder tree, for the command line and the loaders."""

from __future__ import annotations

import os
from collections.abc import Iterator

__all__ = ["DOCUMENT_SUFFIXES", "walk_documents"]

DOCUMENT_SUFFIXES = (".hwp", ".hwpx", ".hml")


def walk_documents(folder: str) -> Iterator[tuple[str, OSError | None]]:
    """The *.hwp, *.hwpx and *.hml files (in any letter case) under `folder`, lazily, depth
    first in name order, each as ``(path, None)``; a folder that cannot be listed comes
    as ``(its path, the error)`` and the walk goes on. Links to folders are not
    followed (they could loop)."""
    stack: list[Iterator[os.DirEntry[str]]] = []

    def listing(path: str) -> Iterator[os.DirEntry[str]] | OSError:
        try:
            with os.scandir(path) as entries:
                return iter(sorted(entries, key=lambda entry: entry.name))
        except OSError as error:
            return error

    first = listing(folder)
    if isinstance(first, OSError):
        yield folder, first
        return
    stack.append(first)
    while stack:
        entry = next(stack[-1], None)
        if entry is None:
            stack.pop()
        elif entry.is_dir(follow_symlinks=False):
            below = listing(entry.path)
            if isinstance(below, OSError):
                yield entry.path, below
            else:
                stack.append(below)
        elif entry.name.lower().endswith(DOCUMENT_SUFFIXES) and entry.is_file():
            yield entry.path, None
