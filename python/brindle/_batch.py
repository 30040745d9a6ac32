"""Converting many documents on a pool of threads."""

from __future__ import annotations

import os
import time
from collections import deque
from collections.abc import Generator, Iterable, Iterator
from concurrent.futures import FIRST_COMPLETED, Future, ThreadPoolExecutor, wait
from dataclasses import dataclass
from typing import Generic, TypeVar

from ._api import Profile, Source, _check_profile, convert

__all__ = ["ConversionResult", "convert_many"]

S = TypeVar("S", bound=Source)

# Documents in flight per worker: enough to keep every worker busy while the
# caller handles a result, few enough that memory stays flat on any input.
IN_FLIGHT_PER_WORKER = 2


@dataclass(frozen=True)
class ConversionResult(Generic[S]):
    """The outcome of one document of a batch: `markdown` when it converted, else
    `error` (the exception `convert` raised), and the `seconds` it took."""

    source: S
    markdown: str | None
    error: Exception | None
    seconds: float

    @property
    def ok(self) -> bool:
        return self.error is None


def _convert_one(source: S, profile: Profile) -> ConversionResult[S]:
    start = time.perf_counter()
    try:
        markdown = convert(source, profile=profile)
    except Exception as error:  # a bad document never stops the batch (MemoryError included)
        return ConversionResult(source, None, error, time.perf_counter() - start)
    return ConversionResult(source, markdown, None, time.perf_counter() - start)


def convert_many(
    sources: Iterable[S],
    *,
    workers: int | None = None,
    ordered: bool = True,
    profile: Profile = "exact",
) -> Generator[ConversionResult[S], None, None]:
    """Convert every document of `sources` (paths, bytes or file objects, as for
    `convert`; a generator of any length) on a pool of `workers` threads (default:
    the machine's CPU count), yielding one ConversionResult per source: in input
    order, or as each finishes when `ordered` is false.

    A document that fails gives a result holding its exception; the batch goes on.
    At most a small multiple of `workers` documents are in flight at once, so memory
    stays flat however long the input. Closing the iterator (breaking out of the
    loop) or an exception in the consumer, KeyboardInterrupt included, cancels the
    documents not yet started and waits only for those being converted.
    """
    count = workers if workers is not None else (os.cpu_count() or 1)
    if count < 1:
        raise ValueError(f"workers must be at least 1, not {count}")
    _check_profile(profile)
    return _run_pool(iter(sources), count, ordered, profile)


def _run_pool(
    iterator: Iterator[S], count: int, ordered: bool, profile: Profile
) -> Generator[ConversionResult[S], None, None]:
    limit = count * IN_FLIGHT_PER_WORKER
    pending: deque[Future[ConversionResult[S]]] = deque()
    exhausted = False
    executor = ThreadPoolExecutor(max_workers=count, thread_name_prefix="brindle")
    try:
        while True:
            while not exhausted and len(pending) < limit:
                try:
                    source = next(iterator)
                except StopIteration:
                    exhausted = True
                    break
                pending.append(executor.submit(_convert_one, source, profile))
            if not pending:
                return
            if ordered:
                yield pending.popleft().result()
            else:
                done, _ = wait(pending, return_when=FIRST_COMPLETED)
                for future in done:
                    pending.remove(future)
                for future in done:
                    yield future.result()
    finally:
        for future in pending:
            future.cancel()
        executor.shutdown(wait=True, cancel_futures=True)
