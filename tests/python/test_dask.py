"""brindle on a Dask cluster: a real distributed.LocalCluster of two worker processes
converts the corpus from paths, from bytes read on the client, and from files opened
with fsspec on the workers. Every result must equal the conversion in this process,
and a document that cannot be converted must come back as its own exception (the
password-protected sample as PasswordProtectedError)."""

from __future__ import annotations

import logging
import os
import zipfile
from collections.abc import Iterator
from pathlib import Path

import pytest

import brindle
from conftest import CORPUS_DIR

distributed = pytest.importorskip("distributed")
dask = pytest.importorskip("dask")

pytestmark = pytest.mark.skipif("asan" in os.environ.get("LD_PRELOAD", ""), reason="not under the sanitizer run")

PASSWORD_SAMPLE = "password-12345.hwp"


def corpus() -> list[Path]:
    """Every document of samples/ and public/ (about 560, 13 MB: a few seconds on two
    workers), or a skip without the corpus."""
    samples = sorted((CORPUS_DIR / "samples").glob("*.hwp"))
    public = sorted((CORPUS_DIR / "public").glob("*.hwp"))
    if not samples:
        pytest.skip("the shared corpus is absent")
    return samples + public


def expected(path: Path) -> str | BaseException:
    try:
        return brindle.convert(path)
    except Exception as error:
        return error


def outcomes(futures: list[distributed.Future]) -> list[object]:
    """Each future's result, or the exception it raised on its worker."""
    distributed.wait(futures)
    return [future.exception() if future.status == "error" else future.result() for future in futures]


def check(paths: list[Path], results: list[object]) -> None:
    assert len(results) == len(paths)
    failures = 0
    for path, result in zip(paths, results, strict=True):
        want = expected(path)
        if isinstance(want, BaseException):
            failures += 1
            assert type(result) is type(want), (path.name, result)
            assert isinstance(result, BaseException) and str(result) == str(want)
        else:
            assert result == want, path.name
    names = [p.name for p in paths]
    if PASSWORD_SAMPLE in names:
        error = results[names.index(PASSWORD_SAMPLE)]
        assert isinstance(error, brindle.PasswordProtectedError)
        assert str(error) == "Password-protected HWP files are not supported"
        assert failures >= 1


@pytest.fixture(scope="module")
def client() -> Iterator[distributed.Client]:
    with (
        distributed.LocalCluster(
            n_workers=2,
            threads_per_worker=1,
            processes=True,
            dashboard_address=None,
            silence_logs=logging.ERROR,
        ) as cluster,
        distributed.Client(cluster) as client,
    ):
        yield client


def test_workers_are_separate_processes(client: distributed.Client) -> None:
    pids = set(client.run(os.getpid).values())
    assert len(pids) == 2 and os.getpid() not in pids


def test_paths_on_a_shared_file_system(client: distributed.Client) -> None:
    paths = corpus()
    futures = client.map(brindle.convert, [str(p) for p in paths])
    results = outcomes(futures)
    check(paths, results)
    # The exception keeps the path it names on its way back from the worker.
    error = results[[p.name for p in paths].index(PASSWORD_SAMPLE)]
    assert isinstance(error, brindle.DocumentError) and error.filename == str(CORPUS_DIR / "samples" / PASSWORD_SAMPLE)


def test_bytes_read_on_the_client(client: distributed.Client) -> None:
    paths = corpus()
    # The documents travel inside the task graph (12 MB here), past the size at
    # which distributed suggests loading data on the workers instead.
    with dask.config.set({"distributed.admin.large-graph-warning-threshold": "64MiB"}):
        futures = client.map(brindle.convert, [p.read_bytes() for p in paths])
    results = outcomes(futures)
    check(paths, results)
    # Documents given as bytes have no file name to report.
    names = [p.name for p in paths]
    assert getattr(results[names.index(PASSWORD_SAMPLE)], "filename", "unset") is None


def test_missing_file_comes_back_as_file_not_found(client: distributed.Client, tmp_path: Path) -> None:
    missing = str(tmp_path / "missing.hwp")
    [error] = outcomes([client.submit(brindle.convert, missing)])
    assert isinstance(error, FileNotFoundError) and error.filename == missing


def test_batches_through_convert_many(client: distributed.Client) -> None:
    # Conversion takes well under a millisecond per document, less than a task's
    # own overhead: batches of documents amortise it.
    paths = corpus()
    batches = [[str(p) for p in paths[i : i + 50]] for i in range(0, len(paths), 50)]

    def convert_batch(batch: list[str]) -> list[brindle.ConversionResult[str]]:
        return list(brindle.convert_many(batch, workers=1))

    results = [r for batch in client.gather(client.map(convert_batch, batches)) for r in batch]
    assert [r.source for r in results] == [str(p) for p in paths]
    check(paths, [r.markdown if r.ok else r.error for r in results])


def test_files_opened_with_fsspec_on_the_workers(client: distributed.Client, tmp_path: Path) -> None:
    fsspec = pytest.importorskip("fsspec")
    paths = [p for p in corpus() if p.parent.name == "samples"]
    # The documents inside a zip archive stand in for an object store: reachable only
    # through fsspec, never as paths of the workers' file system.
    archive = tmp_path / "documents.zip"
    with zipfile.ZipFile(archive, "w") as zipped:
        for path in paths:
            zipped.write(path, path.name)
    urls = [f"zip://{p.name}::file://{archive}" for p in paths]

    def convert_url(url: str) -> str:
        with fsspec.open(url, "rb") as file:
            return brindle.convert(file)

    check(paths, outcomes(client.map(convert_url, urls)))
