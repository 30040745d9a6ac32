"""The brindle package's API: the sources a document can come from, the exceptions
for each cause, the interpreter lock released during the work, and batches on a pool
of threads with bounded memory."""

from __future__ import annotations

import array
import errno
import io
import os
import pathlib
import threading
import time

import pytest

import _brindle
import brindle
import hwpfixture as hwp
from hwpfixture import hostile

TEXT = ["첫 문단", "second paragraph", "셋째"]


@pytest.fixture(scope="module")
def document(tmp_path_factory) -> pathlib.Path:
    path = tmp_path_factory.mktemp("doc") / "doc.hwp"
    hwp.write_hwp(path, [hwp.section(*TEXT), hwp.section("next section")])
    return path


class NotAFile:
    pass


def sources(path: pathlib.Path):
    data = path.read_bytes()
    return {
        "str": str(path),
        "pathlib": path,
        "bytes": data,
        "bytearray": bytearray(data),
        "memoryview": memoryview(data),
        "strided-memoryview": memoryview(bytes(b for pair in zip(data, data) for b in pair))[::2],
        "array": array.array("B", data),
        "bytesio": io.BytesIO(data),
        "open-file": open(path, "rb"),
    }


@pytest.mark.parametrize("kind", list(sources(pathlib.Path(__file__))))
def test_every_source_kind_gives_the_module_result(document, kind):
    source = sources(document)[kind]
    expected = _brindle.hwp_to_markdown(str(document))
    assert expected.startswith(TEXT[0])
    assert brindle.convert(source, profile="exact") == expected
    # The default profile reads the same document from every kind of source.
    assert brindle.convert(sources(document)[kind]) == brindle.convert(document)
    source = sources(document)[kind]
    assert brindle.records(source) == _brindle.hwp_debug_records(str(document))


@pytest.mark.parametrize("bad", [1, None, 2.5, ["a.hwp"], NotAFile()], ids=lambda v: type(v).__name__)
def test_other_sources_are_type_errors_naming_the_type(bad):
    for call in (brindle.convert, brindle.records):
        with pytest.raises(TypeError, match=type(bad).__name__):
            call(bad)


def test_file_object_must_read_bytes():
    with pytest.raises(TypeError, match="str"):
        brindle.convert(io.StringIO("text"))


def test_unknown_profile_is_refused(document):
    with pytest.raises(ValueError, match="profile"):
        brindle.convert(document, profile="fancy")  # type: ignore[arg-type]


# --- failures of the system: the OSError open() would raise -----------------


def expect_os_error(source, error_type, code):
    with pytest.raises(error_type) as info:
        brindle.convert(source)
    error = info.value
    assert error.errno == code and error.strerror == os.strerror(code)
    assert error.filename is source  # the caller's own object, as open() keeps it
    with pytest.raises(error_type):
        brindle.records(source)


def test_missing_file(tmp_path):
    expect_os_error(str(tmp_path / "missing.hwp"), FileNotFoundError, errno.ENOENT)
    expect_os_error(tmp_path / "missing.hwp", FileNotFoundError, errno.ENOENT)


def test_directory(tmp_path):
    expect_os_error(str(tmp_path), IsADirectoryError, errno.EISDIR)


def test_path_through_a_file(document):
    expect_os_error(str(document / "inner.hwp"), NotADirectoryError, errno.ENOTDIR)


def test_fifo_is_refused_without_reading(tmp_path):
    fifo = tmp_path / "pipe.hwp"
    os.mkfifo(fifo)
    with pytest.raises(OSError) as info:
        brindle.convert(fifo)
    assert info.value.errno == errno.EINVAL and info.value.filename == fifo


def test_embedded_nul_is_a_value_error_as_for_open(tmp_path):
    with pytest.raises(ValueError, match="null"):
        brindle.convert(str(tmp_path / "a\0b.hwp"))


# --- documents that cannot be read: one class per cause, _brindle's message ----


def no_file_header() -> bytes:
    return hwp.compound_file_bytes({"/Other": b"x"})


CAUSES = {
    "empty": (lambda: b"", brindle.NotACompoundFileError),
    "text": (lambda: b"plain text\n" * 100, brindle.NotACompoundFileError),
    "other-compound-file": (no_file_header, brindle.NotAnHwpDocumentError),
    "bad-signature": (
        lambda: hwp.compound_file_bytes({"/FileHeader": b"Not A Document File" + b"\0" * 40}),
        brindle.NotAnHwpDocumentError,
    ),
    "short-header": (
        lambda: hwp.compound_file_bytes({"/FileHeader": b"HWP Document File" + b"\0" * 5}),
        brindle.DamagedDocumentError,
    ),
    "password": (
        lambda: hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("x")], properties=0x3)),
        brindle.PasswordProtectedError,
    ),
    "truncated-container": (
        lambda: hwp.truncated(hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("x")])), 1100),
        brindle.DamagedDocumentError,
    ),
}


@pytest.mark.parametrize("cause", list(CAUSES))
def test_document_failures(tmp_path, cause):
    build, error_type = CAUSES[cause]
    path = tmp_path / f"{cause}.hwp"
    path.write_bytes(build())
    with pytest.raises(RuntimeError) as original:
        _brindle.hwp_to_markdown(str(path))
    for source, filename in ((str(path), str(path)), (path.read_bytes(), None)):
        with pytest.raises(error_type) as info:
            brindle.convert(source)
        error = info.value
        assert isinstance(error, brindle.DocumentError) and isinstance(error, RuntimeError)
        assert str(error) == str(original.value) == error.message
        assert error.filename == filename
        assert error.__cause__ is None and error.__suppress_context__


MARKUP = {
    "html": ("<!DOCTYPE html>\n<html><head><title>공고</title></head><body>x</body></html>".encode(), "an HTML page"),
    "bare-html": (b"\r\n  <HTML><BODY>x</BODY></HTML>", "an HTML page"),
    "xml": (
        b'<?xml version="1.0"?>\n<!-- feed -->\n<rss version="2.0"><channel/></rss>',
        "an XML document whose root element is <rss>",
    ),
}


@pytest.mark.parametrize("name", list(MARKUP))
def test_markup_is_named_for_what_it_is(tmp_path, name):
    data, what = MARKUP[name]
    path = tmp_path / f"{name}.hwp"
    path.write_bytes(data)
    for call in (brindle.convert, brindle.parse, brindle.records):
        for source in (path, data):
            with pytest.raises(brindle.NotAnHwpDocumentError) as info:
                call(source)
            assert str(info.value) == f"Not an HWP document: {what}"
    # _brindle reads HWP 5.0 only and says so, as before.
    with pytest.raises(RuntimeError, match="^Compound file error: not a compound file"):
        _brindle.hwp_to_markdown(str(path))


def test_markup_cut_short_or_not_markup_is_no_compound_file():
    for data in (b"<?xml version='1.0'", b"<!-- never closed", b"<", b"< p>", b"text <html>"):
        with pytest.raises(brindle.NotACompoundFileError):
            brindle.convert(data)


def test_first_section_unreadable_is_an_error_only_for_records(tmp_path):
    path = tmp_path / "no-sections.hwp"
    path.write_bytes(hwp.compound_file_bytes(hwp.hwp_streams([])))
    assert brindle.convert(path) == ""
    with pytest.raises(brindle.DamagedDocumentError, match="Section0"):
        brindle.records(path)


def test_bounds_raise_memory_error(tmp_path):
    path = tmp_path / "huge-table.hwp"
    hwp.write_hwp(path, [hostile.declared_table(65535, 65535)])
    with pytest.raises(MemoryError, match="cells"):
        brindle.convert(path)


# --- the interpreter lock ------------------------------------------------------


@pytest.fixture(scope="module")
def long_document(tmp_path_factory) -> pathlib.Path:
    path = tmp_path_factory.mktemp("long") / "long.hwp"
    path.write_bytes(hostile.many_sections_document(40_000))
    return path


def test_other_threads_run_during_a_conversion(long_document):
    ticks = 0
    stop = threading.Event()

    def ticker():
        nonlocal ticks
        while not stop.is_set():
            ticks += 1
            time.sleep(0.0005)

    thread = threading.Thread(target=ticker)
    start = time.perf_counter()
    thread.start()
    try:
        text = brindle.convert(long_document)
    finally:
        stop.set()
        thread.join()
    seconds = time.perf_counter() - start
    assert text.endswith("s39999")
    # Holding the lock for the whole call would stop the ticker until it returned.
    assert seconds > 0.02 and ticks >= 10, (seconds, ticks)


def test_a_buffer_changed_by_another_thread_is_read_as_one_snapshot(tmp_path):
    first = hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("A" * 500)]))
    second = hwp.compound_file_bytes(hwp.hwp_streams([hwp.section("B" * 500)]))
    assert len(first) == len(second)
    expected = {brindle.convert(first), brindle.convert(second)}
    buffer = bytearray(first)
    stop = threading.Event()

    def flip():
        while not stop.is_set():
            buffer[:] = second
            buffer[:] = first

    thread = threading.Thread(target=flip)
    thread.start()
    try:
        results = {brindle.convert(buffer) for _ in range(300)}
    finally:
        stop.set()
        thread.join()
    assert results <= expected
    buffer.extend(b"more")  # no export outlives the call
    assert brindle.convert(bytes(buffer[: len(first)])) in expected


# --- batches --------------------------------------------------------------------


@pytest.fixture(scope="module")
def batch(tmp_path_factory):
    folder = tmp_path_factory.mktemp("batch")
    paths = []
    for n in range(40):
        path = folder / f"{n}.hwp"
        if n % 7 == 3:
            path.write_bytes(b"damaged" * n)
        else:
            hwp.write_hwp(path, [hwp.section(f"document {n}")])
        paths.append(path)
    return paths


def test_results_in_input_order(batch):
    results = list(brindle.convert_many(batch, workers=3))
    assert [r.source for r in results] == batch
    for n, result in enumerate(results):
        assert result.seconds >= 0
        if n % 7 == 3:
            assert not result.ok and result.markdown is None
            assert isinstance(result.error, brindle.NotACompoundFileError)
        else:
            assert result.ok and result.error is None and result.markdown == f"document {n}"


def test_results_out_of_order_hold_every_source_once(batch):
    results = list(brindle.convert_many(iter(batch), workers=4, ordered=False))
    assert sorted(map(str, (r.source for r in results))) == sorted(map(str, batch))
    assert sum(r.ok for r in results) == sum(1 for n in range(40) if n % 7 != 3)


def test_mixed_sources_and_bad_ones_never_stop_the_batch(batch):
    mixed = [batch[0], batch[1].read_bytes(), 42, str(batch[2]), batch[3], io.BytesIO(batch[4].read_bytes())]
    results = list(brindle.convert_many(mixed, workers=2))
    assert [r.ok for r in results] == [True, True, False, True, False, True]
    assert isinstance(results[2].error, TypeError)
    assert results[1].markdown == "document 1" and results[5].markdown == "document 4"


def test_bad_arguments_are_refused_at_the_call(batch):
    with pytest.raises(ValueError, match="workers"):
        brindle.convert_many(batch, workers=0)
    with pytest.raises(ValueError, match="profile"):
        brindle.convert_many(batch, profile="fancy")  # type: ignore[arg-type]


def counting(paths, pulled: list[int]):
    for path in paths:
        pulled[0] += 1
        yield path


@pytest.mark.slow
def test_a_long_generator_is_consumed_with_bounded_lookahead(document):
    workers, pulled, received = 2, [0], 0
    most_ahead = 0
    for result in brindle.convert_many(counting((document for _ in range(100_000)), pulled), workers=workers):
        received += 1
        assert result.ok
        most_ahead = max(most_ahead, pulled[0] - received)
    assert received == 100_000
    # The documents in flight (two chunks per worker and the chunk being
    # gathered), never the input.
    chunk = brindle._batch.CHUNK
    assert most_ahead <= chunk * (2 * workers + 1)


def _brindle_threads() -> int:
    return sum(t.name.startswith("brindle") for t in threading.enumerate())


def test_breaking_out_stops_the_pool(batch):
    pulled = [0]
    for _ in brindle.convert_many(counting(batch * 100, pulled), workers=2):
        break
    assert pulled[0] <= brindle._batch.CHUNK * 5
    deadline = time.monotonic() + 2
    while _brindle_threads() and time.monotonic() < deadline:
        time.sleep(0.01)
    assert _brindle_threads() == 0


def test_keyboard_interrupt_in_the_consumer_stops_the_pool_promptly(long_document):
    start = time.perf_counter()
    brindle.convert(long_document)
    single = time.perf_counter() - start  # one document's time on this build
    pulled = [0]
    start = time.perf_counter()
    with pytest.raises(KeyboardInterrupt):
        for _ in brindle.convert_many(counting([long_document] * 200, pulled), workers=2):
            raise KeyboardInterrupt
    # The first result comes after one document; then only the documents being
    # converted are waited for, not the rest of their chunks.
    assert pulled[0] <= brindle._batch.CHUNK * 5
    assert time.perf_counter() - start < 20 * single
    assert _brindle_threads() == 0


def test_importing_the_package_imports_no_framework():
    # The loaders' frameworks are optional and slow to import: brindle and its
    # integrations package must not pull any of them in.
    import subprocess
    import sys

    frameworks = ("langchain_core", "llama_index", "haystack", "markitdown")
    script = (
        "import sys, brindle, brindle.integrations, brindle.cli\n"
        f"print([m for m in sys.modules if m.split('.')[0] in {frameworks!r}])"
    )
    done = subprocess.run(
        [sys.executable, "-c", script],
        capture_output=True,
        text=True,
        env={**os.environ, "PYTHONPATH": os.pathsep.join(sys.path)},
    )
    assert done.returncode == 0, done.stderr
    assert done.stdout.strip() == "[]"
