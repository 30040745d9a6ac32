"""The module inside a long-running process: paths the C library would misread,
files that are not files, several threads at once, and many calls in a row, which
must leave no Python object and no resident memory behind."""

from __future__ import annotations

import gc
import os
import pathlib
import sys
import threading
import tracemalloc

import pytest

import _brindle
import hwpfixture as hwp
from conftest import BOTH_FUNCTIONS, corpus_documents, runtime_error
from hwpfixture import hostile
from isolation import MIB, UNDER_ASAN, run_isolated

EINVAL_MESSAGE = "IO error: Invalid argument (os error 22)"


# --- paths --------------------------------------------------------------------------


@BOTH_FUNCTIONS
@pytest.mark.parametrize("after", ["", ".hwp", "/../other.hwp"], ids=["end", "suffix", "dir"])
def test_path_with_an_embedded_nul_is_refused(fn, make_hwp, after):
    # The part before the NUL names a readable document: opening it would succeed.
    path = make_hwp([hwp.section("must not be read")])
    assert fn(path)
    assert runtime_error(fn, path + "\0" + after) == EINVAL_MESSAGE


@BOTH_FUNCTIONS
def test_nul_before_a_missing_name_is_still_an_invalid_argument(fn, tmp_path):
    # Cut at the NUL, the path would name a missing file (os error 2).
    assert runtime_error(fn, str(tmp_path / "missing.hwp") + "\0") == EINVAL_MESSAGE


def special_path(kind: str, tmp_path: pathlib.Path) -> str:
    if kind == "fifo":
        os.mkfifo(tmp_path / "pipe.hwp")
        return str(tmp_path / "pipe.hwp")
    if kind == "link-to-device":
        os.symlink("/dev/zero", tmp_path / "zero.hwp")
        return str(tmp_path / "zero.hwp")
    if kind == "directory":
        return str(tmp_path)
    return kind


@pytest.mark.parametrize("function", ["hwp_to_markdown", "hwp_debug_records"])
@pytest.mark.parametrize("kind", ["fifo", "/dev/null", "/dev/zero", "link-to-device", "directory"])
def test_non_regular_files_are_refused_without_hanging(tmp_path, kind, function):
    # A FIFO without a writer blocks a plain open for ever, and /dev/zero never
    # ends; the child is stopped if the call does not return.
    outcome = run_isolated(special_path(kind, tmp_path), function, timeout=30, workdir=tmp_path)
    assert outcome.raised == "RuntimeError", outcome
    (message,) = outcome.args
    assert message.startswith("IO error: ") and message == message.rstrip()
    if kind == "directory":
        assert message == "IO error: Is a directory (os error 21)"


# --- threads ------------------------------------------------------------------------


def thread_documents(make_hwp, make_file) -> list[str]:
    """Eight different documents, two of which fail to open."""
    return [
        make_hwp(hwp.build_sample_document()),
        make_hwp([hwp.section(*(f"paragraph {n}" for n in range(300)))]),
        make_hwp([hostile.full_table(40, 40)]),
        make_hwp([hostile.click_here_paragraph(2000)]),
        make_hwp(hostile.many_sections(50), compressed=False),
        make_hwp([hostile.nested_tables(20)]),
        make_hwp([hwp.section("locked")], properties=hwp.PROPERTY_PASSWORD),
        make_file(b"not a compound file"),
    ]


def outcome_of(fn, path):
    try:
        return fn(path)
    except RuntimeError as error:
        return ("RuntimeError", error.args)


@BOTH_FUNCTIONS
def test_threads_converting_different_files_get_sequential_results(fn, make_hwp, make_file):
    paths = thread_documents(make_hwp, make_file)
    expected = [outcome_of(fn, path) for path in paths]
    assert len({repr(e) for e in expected}) == len(paths)  # all different
    rounds = 20
    start = threading.Barrier(len(paths))
    results: list[list] = [[] for _ in paths]
    failures: list[BaseException] = []

    def worker(index: int) -> None:
        try:
            start.wait()
            for _ in range(rounds):
                results[index].append(outcome_of(fn, paths[index]))
        except BaseException as error:  # reported by the main thread
            failures.append(error)

    threads = [threading.Thread(target=worker, args=(i,)) for i in range(len(paths))]
    for thread in threads:
        thread.start()
    for thread in threads:
        thread.join(timeout=120)
    assert not any(thread.is_alive() for thread in threads)
    assert not failures
    for index, got in enumerate(results):
        assert got == [expected[index]] * rounds, f"document {index}"


# --- reference balance ------------------------------------------------------------------


def fresh(text: str) -> str:
    """An equal str that is a new object, so that its reference count is ours alone."""
    return "".join(list(text))


# Each way a call can end: success of each function, each way a document fails, a
# bound, and each argument error.
SUCCESSES = ["markdown", "records", "keyword path"]
DOCUMENT_FAILURES = [
    "missing file",
    "not a compound file",
    "bad signature",
    "short header",
    "password",
    "corrupt section",
    "embedded NUL",
]
ARGUMENT_ERRORS = ["no argument", "two arguments", "unknown keyword", "path twice", "bytes", "None", "pathlib"]
CALL_KINDS = SUCCESSES + DOCUMENT_FAILURES + ["table bound", "lone surrogate"] + ARGUMENT_ERRORS


@pytest.fixture(scope="module")
def call_kinds(tmp_path_factory):
    """name -> (call, the argument objects it passes)."""
    folder = tmp_path_factory.mktemp("calls")

    def document(name, sections, **options):
        path = folder / f"{name}.hwp"
        hwp.write_hwp(path, sections, **options)
        return fresh(str(path))

    def raw(name, data):
        path = folder / name
        path.write_bytes(data)
        return fresh(str(path))

    sample = document("sample", hwp.build_sample_document())
    missing = fresh(str(folder / "missing.hwp"))
    not_cfb = raw("plain.txt", b"plain text, not a compound file")
    bad_signature = document("bad", [hwp.section("x")], header=hwp.file_header(signature=b"HWP Document Filf"))
    short_header = document("short", [hwp.section("x")], header=hwp.file_header(length=30))
    password = document("locked", [hwp.section("x")], properties=hwp.PROPERTY_PASSWORD)
    corrupt = document("corrupt", [hwp.corrupt_deflate()])
    huge_table = document("table", [hostile.declared_table(65535, 65535)])
    nul = fresh(sample + "\0")
    surrogate = fresh("\ud800.hwp")
    as_bytes = sample.encode()
    as_pathlib = pathlib.Path(sample)
    md, records = _brindle.hwp_to_markdown, _brindle.hwp_debug_records
    kinds = {
        "markdown": (lambda: md(sample), [sample]),
        "records": (lambda: records(sample), [sample]),
        "keyword path": (lambda: md(path=sample), [sample]),
        "missing file": (lambda: md(missing), [missing]),
        "not a compound file": (lambda: records(not_cfb), [not_cfb]),
        "bad signature": (lambda: md(bad_signature), [bad_signature]),
        "short header": (lambda: records(short_header), [short_header]),
        "password": (lambda: md(password), [password]),
        "corrupt section": (lambda: records(corrupt), [corrupt]),
        "embedded NUL": (lambda: md(nul), [nul]),
        "table bound": (lambda: md(huge_table), [huge_table]),
        "lone surrogate": (lambda: records(surrogate), [surrogate]),
        "no argument": (lambda: md(), []),
        "two arguments": (lambda: records(sample, sample), [sample]),
        "unknown keyword": (lambda: md(file=sample), [sample]),
        "path twice": (lambda: records(sample, path=sample), [sample]),
        "bytes": (lambda: md(as_bytes), [as_bytes]),
        "None": (lambda: records(None), []),
        "pathlib": (lambda: md(as_pathlib), [as_pathlib]),
    }
    assert sorted(kinds) == sorted(CALL_KINDS)
    return kinds


def run_quietly(call) -> None:
    try:
        call()
    except (RuntimeError, TypeError, UnicodeEncodeError, MemoryError):
        pass


def test_every_kind_of_call_ends_as_named(call_kinds):
    def ending(name):
        try:
            call_kinds[name][0]()
        except Exception as error:  # noqa: BLE001 (sorting the outcomes)
            return type(error)
        return None

    assert [ending(name) for name in SUCCESSES] == [None] * len(SUCCESSES)
    assert [ending(name) for name in DOCUMENT_FAILURES] == [RuntimeError] * len(DOCUMENT_FAILURES)
    assert [ending(name) for name in ARGUMENT_ERRORS] == [TypeError] * len(ARGUMENT_ERRORS)
    assert ending("table bound") is MemoryError
    assert ending("lone surrogate") is UnicodeEncodeError


CALLS = 300


@pytest.mark.parametrize("name", CALL_KINDS)
def test_repeated_calls_leave_no_python_objects(call_kinds, name):
    call, arguments = call_kinds[name]
    for _ in range(20):  # warm-up: caches, free lists, interned names
        run_quietly(call)
    gc.collect()
    counts = [sys.getrefcount(a) for a in arguments]
    total = sys.gettotalrefcount() if hasattr(sys, "gettotalrefcount") else None
    tracemalloc.start()
    try:
        for _ in range(CALLS // 3):
            run_quietly(call)
        gc.collect()
        settled, _ = tracemalloc.get_traced_memory()
        for _ in range(CALLS):
            run_quietly(call)
        gc.collect()
        after, _ = tracemalloc.get_traced_memory()
    finally:
        tracemalloc.stop()
    # A str, tuple, list, int or exception kept per call is at least 28 bytes.
    assert after - settled < CALLS * 4, f"{after - settled} bytes over {CALLS} calls"
    assert [sys.getrefcount(a) for a in arguments] == counts
    if total is not None:
        assert abs(sys.gettotalrefcount() - total) < 10


@BOTH_FUNCTIONS
def test_results_are_owned_by_the_caller_alone(fn, make_hwp):
    result = fn(make_hwp(hwp.build_sample_document()))
    # The local name and getrefcount's own argument.
    assert sys.getrefcount(result) == 2
    if isinstance(result, list):
        # The list's reference and the argument's: result[i] is not kept.
        assert [sys.getrefcount(result[i]) for i in range(len(result))] == [2] * len(result)


# --- resident memory ---------------------------------------------------------------


def resident() -> int:
    with open("/proc/self/statm") as statm:
        return int(statm.read().split()[1]) * os.sysconf("SC_PAGE_SIZE")


def corpus_or_generated(tmp_path) -> list[str]:
    """The corpus documents, or when it is absent a few hundred generated ones."""
    files = [str(p) for p in corpus_documents()]
    if files:
        return files
    kinds = [
        hwp.build_sample_document(),
        [hostile.full_table(30, 30)],
        [hostile.click_here_paragraph(500)],
        hostile.many_sections(100),
        [hostile.nested_tables(511)],
        [hostile.nested_text_boxes(340)],
        [hostile.mountains(2)],
        [hostile.huge_extended_size()],
        [hostile.tiny_records(10_000)],
        [hostile.declared_table(65535, 65535)],  # MemoryError
        [hwp.corrupt_deflate()],
    ]
    paths = []
    for copy in range(20):
        for k, sections in enumerate(kinds):
            path = tmp_path / f"doc{k}-{copy}.hwp"
            hwp.write_hwp(path, sections, compressed=copy % 2 == 0 or k == len(kinds) - 1)
            paths.append(str(path))
    return paths


@pytest.mark.skipif(UNDER_ASAN, reason="AddressSanitizer's quarantine holds freed memory")
def test_converting_the_corpus_ten_times_holds_memory_flat(tmp_path):
    files = corpus_or_generated(tmp_path)
    rounds = []
    for _ in range(10):
        for path in files:
            for fn in (_brindle.hwp_to_markdown, _brindle.hwp_debug_records):
                try:
                    fn(path)
                except (RuntimeError, MemoryError):
                    pass
        gc.collect()
        rounds.append(resident())
    print(f"\n{len(files)} documents x 10 rounds, RSS per round (MiB): " + " ".join(f"{r / MIB:.1f}" for r in rounds))
    growth = max(rounds[1:]) - rounds[0]
    assert growth < 4 * MIB, f"resident memory grew by {growth / MIB:.1f} MiB after the first round"
