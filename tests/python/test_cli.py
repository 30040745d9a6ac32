"""The command line end to end: a folder tree converted into an output folder or next
to its documents, failures and their JSON lines, exit statuses, standard output,
resuming, interruption, the progress bar, `records` and `--version`."""

from __future__ import annotations

import fcntl
import json
import os
import shutil
import signal
import struct
import subprocess
import sys
import termios
import time
from pathlib import Path

import pytest

import brindle
import hwpfixture as hwp
from brindle.cli import main
from conftest import CORPUS_DIR

ENV = {**os.environ, "PYTHONPATH": os.pathsep.join(sys.path)}


def cli(*args, **options) -> subprocess.CompletedProcess:
    return subprocess.run(
        [sys.executable, "-m", "brindle", *map(str, args)], env=ENV, capture_output=True, timeout=60, **options
    )


def expected(path) -> str | BaseException:
    """What brindle.convert gives for the document: its Markdown or its exception."""
    try:
        return brindle.convert(path)
    except Exception as error:
        return error


@pytest.fixture
def tree(tmp_path) -> Path:
    """Nested folders of documents in mixed-case names, two that cannot be read and
    files that are not HWP at all."""
    docs = tmp_path / "docs"
    (docs / "sub" / "deep").mkdir(parents=True)
    hwp.write_sample(docs / "a.hwp")
    hwp.write_hwp(docs / "sub" / "B.HWP", [hwp.section("둘째 문서")])
    hwp.write_hwp(docs / "sub" / "deep" / "c.Hwp", [hwp.section("third", "paragraph")])
    sample = (docs / "a.hwp").read_bytes()
    (docs / "sub" / "cut.hwp").write_bytes(sample[: len(sample) // 3])
    (docs / "sub" / "deep" / "junk.hwp").write_bytes(b"not a compound file " * 30)
    (docs / "notes.txt").write_text("not a document")
    (docs / "sub" / "c.hwp.bak").write_bytes(sample)
    return docs


def outcomes(docs: Path) -> dict[Path, str | BaseException]:
    """Each document under `docs` (sorted, which is the walk's order here) and its outcome."""
    return {p: expected(p) for p in sorted(docs.rglob("*")) if p.suffix.lower() == ".hwp"}


def markdown_name(docs: Path, document: Path) -> str:
    return str(document.relative_to(docs).with_suffix(".md"))


def files(folder: Path, pattern: str = "*") -> set[str]:
    return {str(p.relative_to(folder)) for p in folder.rglob(pattern) if p.is_file()}


def test_tree_into_an_output_folder(tree, tmp_path, capsys):
    out, log = tmp_path / "out", tmp_path / "errors.jsonl"
    assert main(["convert", str(tree), "-o", str(out), "--errors", str(log), "-j", "2"]) == 1
    want = outcomes(tree)
    converted = {markdown_name(tree, p): text for p, text in want.items() if isinstance(text, str)}
    assert len(converted) == 3 and len(want) == 5
    assert files(out) == set(converted)
    for name, text in converted.items():
        assert (out / name).read_text(encoding="utf-8") == text
    # Failures in walk order, each with the exception brindle.convert raises.
    lines = [json.loads(line) for line in log.read_text(encoding="utf-8").splitlines()]
    assert [(line["path"], line["kind"], line["message"]) for line in lines] == [
        (str(p), type(error).__name__, str(error)) for p, error in want.items() if isinstance(error, BaseException)
    ]
    err = capsys.readouterr().err
    for line in lines:
        assert f"{line['path']}: {line['message']}" in err
    assert "converted 3, failed 2, skipped 0" in err.splitlines()[-1]


def test_failures_reported_in_walk_order_however_conversions_finish(tree, tmp_path, monkeypatch):
    import brindle.cli

    def backwards(sources, **options):  # every result held back, then the last first
        yield from reversed(list(brindle.convert_many(sources, **options)))

    monkeypatch.setattr(brindle.cli, "convert_many", backwards)
    log = tmp_path / "e.jsonl"
    assert main(["convert", str(tree), "-o", str(tmp_path / "out"), "--errors", str(log), "-q"]) == 1
    paths = [json.loads(line)["path"] for line in log.read_text().splitlines()]
    assert paths == [str(p) for p, outcome in outcomes(tree).items() if isinstance(outcome, BaseException)]


def test_warnings_are_listed_beside_the_markdown_and_counted(tmp_path, capsys):
    docs, out, log = tmp_path / "docs", tmp_path / "out", tmp_path / "e.jsonl"
    docs.mkdir()
    parts = hwp.owpml.package_parts([["온전한 문단", "잘린 문단"]])
    section = parts["Contents/section0.xml"]
    parts["Contents/section0.xml"] = section[: section.index("잘린".encode())]
    (docs / "cut.hwpx").write_bytes(hwp.owpml.zip_bytes(parts))
    hwp.write_hwp(docs / "whole.hwp", [hwp.section("문단")])
    assert main(["convert", str(docs), "-o", str(out), "--errors", str(log)]) == 0
    assert (out / "cut.md").read_text(encoding="utf-8") == "온전한 문단"
    [line] = [json.loads(line) for line in log.read_text(encoding="utf-8").splitlines()]
    assert line["path"] == str(docs / "cut.hwpx") and line["kind"] == "warning"
    assert line["message"].startswith("Contents/section0.xml: cut short at byte ")
    err = capsys.readouterr().err
    assert f"{docs / 'cut.hwpx'}: warning: {line['message']}" in err
    assert "converted 2, failed 0, skipped 0, warnings 1 in" in err.splitlines()[-1]


def test_outputs_beside_documents_and_named_files(tree, tmp_path, capsys):
    # Without -o the Markdown lands next to each document; the other files stay alone.
    before = files(tree)
    assert main(["convert", str(tree), "-q"]) == 1
    assert files(tree) - before == {"a.md", "sub/B.md", "sub/deep/c.md"}
    assert (tree / "sub" / "B.md").read_text(encoding="utf-8") == brindle.convert(tree / "sub" / "B.HWP")
    # Named files go to OUTDIR/<name>.md; a missing one, and a second document aimed at the
    # same output, fail; the same document named twice is converted once.
    hwp.write_hwp(tree / "sub" / "deep" / "B.HWP", [hwp.section("another B")])
    out, log = tmp_path / "out", tmp_path / "e.jsonl"
    args = [
        tree / "a.hwp",
        tree / "missing.hwp",
        tree / "sub" / "deep" / "B.HWP",
        tree / "a.hwp",
        tree / "sub" / "B.HWP",
    ]
    assert main(["convert", *map(str, args), "-o", str(out), "--errors", str(log), "-q"]) == 1
    assert files(out) == {"a.md", "B.md"}
    assert (out / "B.md").read_text(encoding="utf-8") == brindle.convert(tree / "sub" / "deep" / "B.HWP")
    kinds = [json.loads(line)["kind"] for line in log.read_text().splitlines()]
    assert kinds == ["FileNotFoundError", "ConflictingOutputError"]
    assert "converted" not in capsys.readouterr().err  # -q: no summary


@pytest.mark.parametrize(
    "args",
    [
        ["convert"],
        ["convert", "-j", "0", "x.hwp"],
        ["convert", "-j", "two", "x.hwp"],
        ["nonsense"],
        [],
        ["convert", "--errors", "/nonexistent/folder/e.jsonl", "x.hwp"],
    ],
)
def test_usage_errors_exit_2(args, capsys):
    assert main(args) == 2
    assert "usage:" in capsys.readouterr().err


def test_all_converted_exits_0(tree, tmp_path):
    for damaged in [*tree.rglob("cut.hwp"), *tree.rglob("junk.hwp")]:
        damaged.unlink()
    done = cli("convert", tree, "-o", tmp_path / "out")
    assert done.returncode == 0 and b"\r" not in done.stderr  # no bar when stderr is a pipe
    assert done.stderr.decode().strip().splitlines()[-1].startswith("brindle: converted 3, failed 0, skipped 0")


def test_one_file_to_standard_output(tree, tmp_path):
    done = cli("convert", tree / "a.hwp")
    assert (done.returncode, done.stdout, done.stderr) == (0, brindle.convert(tree / "a.hwp").encode(), b"")
    assert not (tree / "a.md").exists()
    exact = cli("convert", tree / "a.hwp", "--profile", "exact").stdout.decode()
    assert exact == brindle.convert(tree / "a.hwp", profile="exact") != done.stdout.decode()
    done = cli("convert", tree / "sub" / "cut.hwp", "--errors", tmp_path / "e.jsonl")
    assert done.returncode == 1 and done.stdout == b""
    assert done.stderr.decode().count("\n") == 1 and "cut.hwp: " in done.stderr.decode()
    assert json.loads((tmp_path / "e.jsonl").read_text())["kind"] == type(expected(tree / "sub" / "cut.hwp")).__name__


def test_skip_existing_resumes_by_modification_time(tree, tmp_path, capsys):
    out = tmp_path / "out"
    main(["convert", str(tree), "-o", str(out), "-q"])
    # Up to date: a.md as new as its document. Stale: B.md older than its document. Missing: c.md.
    for md in out.rglob("*.md"):
        md.write_text("kept")
    doc_time = (tree / "a.hwp").stat().st_mtime_ns
    os.utime(out / "a.md", ns=(doc_time, doc_time))
    os.utime(tree / "sub" / "B.HWP", ns=(doc_time, doc_time))
    os.utime(out / "sub" / "B.md", ns=(doc_time - 10**9, doc_time - 10**9))
    (out / "sub" / "deep" / "c.md").unlink()
    assert main(["convert", str(tree), "-o", str(out), "--skip-existing"]) == 1
    assert (out / "a.md").read_text() == "kept"
    assert (out / "sub" / "B.md").read_text(encoding="utf-8") == brindle.convert(tree / "sub" / "B.HWP")
    assert (out / "sub" / "deep" / "c.md").exists()
    assert "converted 2, failed 2, skipped 1" in capsys.readouterr().err.splitlines()[-1]


@pytest.fixture(scope="module")
def many(tmp_path_factory) -> tuple[Path, str]:
    """A folder of 200 copies of a document that takes a few milliseconds to convert."""
    folder = tmp_path_factory.mktemp("many")
    text = [f"문단 {i}: 한국어와 English 가 섞인 긴 문장입니다. " * 20 for i in range(400)]
    hwp.write_hwp(folder / "d000.hwp", [hwp.section(*text)])
    for i in range(1, 200):
        shutil.copyfile(folder / "d000.hwp", folder / f"d{i:03}.hwp")
    return folder, brindle.convert(folder / "d000.hwp")


def default_stop_signals() -> None:
    for signum in (signal.SIGINT, signal.SIGTERM):
        signal.signal(signum, signal.SIG_DFL)


@pytest.mark.parametrize("signum, status", [(signal.SIGINT, 130), (signal.SIGTERM, 143)], ids=["sigint", "sigterm"])
def test_interrupted_run_leaves_only_whole_files(many, tmp_path, signum, status):
    folder, markdown = many
    out = tmp_path / "out"
    # A child inherits ignored signals (a test run as a background job ignores SIGINT),
    # so both are set back to their defaults for it.
    child = subprocess.Popen(
        [sys.executable, "-m", "brindle", "convert", str(folder), "-o", str(out), "-j", "1"],
        env=ENV,
        stderr=subprocess.PIPE,
        preexec_fn=default_stop_signals,
    )
    deadline = time.monotonic() + 30
    while len(files(out, "*.md")) < 3 and time.monotonic() < deadline:
        time.sleep(0.002)
    child.send_signal(signum)
    err = child.communicate(timeout=30)[1].decode()
    assert child.returncode == status, err
    written = files(out)
    assert 3 <= len(written) < 200 and all(name.endswith(".md") for name in written)  # no temporary files
    assert all((out / name).read_text(encoding="utf-8") == markdown for name in written)
    assert "interrupted: converted" in err
    if signum == signal.SIGINT:
        # The interrupted run resumes where it stopped.
        done = cli("convert", folder, "-o", out, "--skip-existing", "-j", "2")
        assert done.returncode == 0 and f"skipped {len(written)}" in done.stderr.decode()
        assert len(files(out)) == 200


def test_interrupt_while_writing_removes_the_temporary_file(many, tmp_path, monkeypatch):
    # A second Ctrl-C raises KeyboardInterrupt wherever the run is; here, as the third
    # file is renamed into place.
    folder, markdown = many
    out, renames = tmp_path / "out", []

    def replace(source, target):
        renames.append(target)
        if len(renames) == 3:
            raise KeyboardInterrupt
        real_replace(source, target)

    real_replace = os.replace
    monkeypatch.setattr(os, "replace", replace)
    assert main(["convert", str(folder), "-o", str(out), "-j", "2", "-q"]) == 130
    monkeypatch.undo()
    assert files(out) == {Path(name).name for name in renames[:2]}
    assert all((out / name).read_text(encoding="utf-8") == markdown for name in files(out))


@pytest.mark.parametrize("quiet", [False, True])
def test_progress_bar_only_on_a_terminal_without_q(tree, tmp_path, quiet):
    main_fd, terminal = os.openpty()
    fcntl.ioctl(terminal, termios.TIOCSWINSZ, struct.pack("HHHH", 24, 120, 0, 0))
    args = [sys.executable, "-m", "brindle", "convert", str(tree), "-o", str(tmp_path / "out")] + ["-q"] * quiet
    child = subprocess.Popen(args, env=ENV, stderr=terminal)
    os.close(terminal)
    shown = b""
    while chunk := _read(main_fd):
        shown += chunk
    os.close(main_fd)
    assert child.wait(timeout=30) == 1
    bar = shown.decode().replace("\r", "\n")
    assert ("5/5" in bar and "doc/s" in bar and "failed=2" in bar and "converted 3" in bar) != quiet
    assert "cut.hwp: " in bar  # failures are listed either way


def _read(fd: int) -> bytes:
    try:
        return os.read(fd, 65536)
    except OSError:  # the terminal's other end closed
        return b""


def test_records_and_version(tree):
    done = cli("records", tree / "a.hwp")
    rows = [tuple(map(int, line.split("\t"))) for line in done.stdout.decode().splitlines()]
    assert done.returncode == 0 and rows == brindle.records(tree / "a.hwp")
    done = cli("records", tree / "sub" / "deep" / "junk.hwp")
    assert (done.returncode, done.stdout) == (1, b"") and done.stderr.decode().count("\n") == 1
    assert cli("--version").stdout.decode() == f"brindle {brindle.__version__}\n"


@pytest.mark.skipif(not (CORPUS_DIR / "samples").is_dir(), reason="the shared corpus is absent")
def test_corpus_samples(tmp_path, capsys):
    samples = CORPUS_DIR / "samples"
    main(["convert", str(samples), "-o", str(tmp_path), "-q"])
    for document, text in outcomes(samples).items():
        output = tmp_path / markdown_name(samples, document)
        assert output.read_text(encoding="utf-8") == text if isinstance(text, str) else not output.exists()
