"""Converting many documents on a pool of threads."""

from __future__ import annotations

import os
import threading
import time
from collections import deque
from collections.abc import Callable, Generator, Iterable, Iterator
from concurrent.futures import FIRST_COMPLETED, Future, ThreadPoolExecutor, wait
from dataclasses import dataclass, field
from typing import Generic, TypeVar

from ._api import Profile, Source, _check_profile, _converted
from ._document import Document, parse

__all__ = ["ConversionResult", "convert_many"]

S = TypeVar("S", bound=Source)

# Work goes to the pool in chunks of up to CHUNK documents, at most
# CHUNKS_PER_WORKER chunks per worker in flight: enough to keep every worker
# busy while the caller handles results, few enough that memory stays flat on
# any input. A chunk per task, rather than a document, spares each document
# the pool's own locking, which would otherwise cost as much as converting it.
CHUNK = 32
CHUNKS_PER_WORKER = 2


@dataclass(frozen=True)
class ConversionResult(Generic[S]):
    """The outcome of one document of a batch: `markdown` when it converted, else
    `error` (the exception `convert` raised), and the `seconds` it took. A batch run
    with ``parse=True`` also gives the `document` (`parse`'s `Document`, whose
    Markdown `markdown` is). `warnings` are the damage the conversion read past
    (`Document.warnings`); a batch does not log them."""

    source: S
    markdown: str | None
    error: Exception | None
    seconds: float
    document: Document | None = None
    warnings: list[str] = field(default_factory=list)

    @property
    def ok(self) -> bool:
        return self.error is None


@dataclass(frozen=True)
class _Parsing(Generic[S]):
    """How a batch run with ``parse=True`` parses each document."""

    prefix: str | Callable[[S], str | None] | None
    page_markers: bool


def _convert_chunk(
    chunk: list[S],
    profile: Profile,
    parsing: _Parsing[S] | None,
    stop: threading.Event,
) -> list[ConversionResult[S]]:
    results = []
    for source in chunk:
        if stop.is_set():  # the caller has gone: leave the rest of the chunk
            break
        if parsing is None:
            results.append(_convert_one(source, profile))
        else:
            prefix = parsing.prefix(source) if callable(parsing.prefix) else parsing.prefix
            results.append(_parse_one(source, profile, prefix, parsing.page_markers))
    return results


def _convert_one(source: S, profile: Profile) -> ConversionResult[S]:
    start = time.perf_counter()
    try:
        markdown, warnings = _converted(source, profile)
    except Exception as error:  # a bad document never stops the batch (MemoryError included)
        return ConversionResult(source, None, error, time.perf_counter() - start)
    return ConversionResult(source, markdown, None, time.perf_counter() - start, warnings=warnings)


def _parse_one(source: S, profile: Profile, image_prefix: str | None, page_markers: bool) -> ConversionResult[S]:
    start = time.perf_counter()
    try:
        document = parse(source, profile=profile, image_prefix=image_prefix, page_markers=page_markers)
    except Exception as error:
        return ConversionResult(source, None, error, time.perf_counter() - start)
    return ConversionResult(source, document.markdown, None, time.perf_counter() - start, document, document.warnings)


def convert_many(
    sources: Iterable[S],
    *,
    workers: int | None = None,
    ordered: bool = True,
    profile: Profile = "full",
    parse: bool = False,
    image_prefix: str | None | Callable[[S], str | None] = "images/",
    page_markers: bool = False,
) -> Generator[ConversionResult[S], None, None]:
    """Convert every document of `sources` (paths, bytes or file objects, as for
    `convert`; a generator of any length) by the rules of `profile` (as for
    `convert`) on a pool of `workers` threads (default: the machine's CPU count),
    yielding one ConversionResult per source: in input
    order, or as each finishes when `ordered` is false. With `parse` true each
    document is parsed as by `parse`, its pictures linked under `image_prefix` (a
    str, None for placeholders, or a function of the source giving each
    document's), with page markers when `page_markers` is true, and each result's
    `document` holds the `Document`.

    A document that fails gives a result holding its exception; the batch goes on.
    At most 64 documents per worker are in flight at once (in chunks of 32, which
    spare each document the pool's own locking), so memory stays flat however long
    the input. Closing the iterator (breaking out of the
    loop) or an exception in the consumer, KeyboardInterrupt included, cancels the
    documents not yet started and waits only for those being converted.
    """
    _check_workers(workers)
    count = workers if workers is not None else (os.cpu_count() or 1)
    _check_profile(profile)
    if not (image_prefix is None or isinstance(image_prefix, str) or callable(image_prefix)):
        raise TypeError(
            f"image_prefix must be a str, None or a function of the source, not {type(image_prefix).__name__}"
        )
    if not isinstance(page_markers, bool):
        raise TypeError(f"page_markers must be a bool, not {type(page_markers).__name__}")
    if page_markers and not parse:
        raise ValueError("page_markers are written by parse: pass parse=True with them")
    parsing = _Parsing(image_prefix, page_markers) if parse else None
    return _run_pool(iter(sources), count, ordered, profile, parsing)


def _check_workers(workers: int | None) -> None:
    if workers is not None and workers < 1:
        raise ValueError(f"workers must be at least 1, not {workers}")


def _run_pool(
    iterator: Iterator[S],
    count: int,
    ordered: bool,
    profile: Profile,
    parsing: _Parsing[S] | None,
) -> Generator[ConversionResult[S], None, None]:
    limit = count * CHUNKS_PER_WORKER
    pending: deque[Future[list[ConversionResult[S]]]] = deque()
    exhausted = False
    stop = threading.Event()
    # Chunks start at one document and double up to CHUNK, so that the first
    # results come as soon as their documents are done.
    size = 1
    executor = ThreadPoolExecutor(max_workers=count, thread_name_prefix="brindle")
    try:
        while True:
            while not exhausted and len(pending) < limit:
                chunk: list[S] = []
                for source in iterator:
                    chunk.append(source)
                    if len(chunk) == size:
                        break
                else:
                    exhausted = True
                if chunk:
                    pending.append(executor.submit(_convert_chunk, chunk, profile, parsing, stop))
                    size = min(2 * size, CHUNK)
            if not pending:
                return
            if ordered:
                yield from pending.popleft().result()
            else:
                done, _ = wait(pending, return_when=FIRST_COMPLETED)
                for future in done:
                    pending.remove(future)
                for future in done:
                    yield from future.result()
    finally:
        stop.set()
        for future in pending:
            future.cancel()
        executor.shutdown(wait=True, cancel_futures=True)
