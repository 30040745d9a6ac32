"""The command line: ``brindle convert``, ``brindle records`` and ``brindle --version``."""

from __future__ import annotations

import argparse
import contextlib
import dataclasses
import datetime
import json
import os
import signal
import sys
import threading
import time
from collections.abc import Iterator
from typing import IO, Any

from . import __version__
from ._api import PROFILES, _converted, records
from ._batch import ConversionResult, convert_many
from ._document import ISO_FORMAT, json_metadata, parse
from ._document import Document as Parsed
from ._walk import walk_documents

__all__ = ["main"]

CONVERT_HELP = """\
Convert HWP documents (HWP 5.0, HWPX and HWPML) to Markdown.

Each PATH is a document or a folder; folders are searched recursively for *.hwp,
*.hwpx and *.hml files (any letter case), in sorted order; a document's format is
told by its content, not its name. A document found under folder F is written to
OUTDIR/<its path below F>.md, a document named on the command line to
OUTDIR/<its name>.md; without -o each Markdown file is written next to its
document. Where x.hwp and x.hwpx (or x.hml) would both write x.md, the HWPX
(HWPML) one writes x.hwpx.md (x.hml.md). With exactly one PATH that is a file and no -o (and no --images,
which writes files), the Markdown goes to standard output instead (the same bytes
a file would hold; no summary line).

Files are written atomically (a temporary file in the same folder, then a
rename), so an interrupted run leaves no half-written Markdown behind. A
document that cannot be converted is listed on standard error with its message
(and in the --errors file); the others go on. Damage a conversion read past (a
section cut short, say) is listed the same way as a warning, and in the --errors
file as a line of kind "warning"; the summary line counts the warnings.

--profile full (the default) keeps everything the reader of a document sees:
notes, headers and footers, numbers and bullets, headings, links, captions,
readable tables and the text of drawing objects; a document saved for
distribution (its text encrypted) fails as DistributionProtectedError rather
than give the notice it holds. --profile exact writes what
_brindle.hwp_to_markdown gives.

Standard error shows a progress bar when it is a terminal, and one summary line
at the end. -q turns both off; failures are still listed.

--images writes each document's pictures into a folder beside its Markdown,
<name>.images/, and links them from the Markdown relatively (pictures are named
by the document and their kind: BIN0001.png, image1.jpg); --front-matter starts
each Markdown file with a YAML block of the document's properties (title,
subject, author, keywords, comments, last_saved_by, created, modified) and its
source file name; --format json writes <name>.json instead, one object per
document: source, format, markdown, metadata, the names of its images, its
click-here form fields (name, guide, value) and its outline (the headings'
level and text, in order). --page-markers writes <!-- page N --> before the
first block of each page, where the document stores its layout (full profile
only). No name taken from a document chooses a path outside the output folder.

Exit status: 0 when every document converted or was skipped, 1 when some
failed, 2 for a usage error, 130 when interrupted (Ctrl-C; 143 for SIGTERM)
after the documents being written are finished.
"""


class ConflictingOutputError(Exception):
    """Two different documents of one run would be written to the same Markdown file,
    or a document's Markdown would replace the document itself."""


class Document(str):
    """A document's path as the walk found it, with where its Markdown goes, its
    position in the walk (so that reports come out in a fixed order however the
    conversions finish) and the error that stopped it before conversion, if any.
    A str, so that convert_many takes it as the path it is."""

    output: str
    position: int
    error: BaseException | None

    def __new__(cls, path: str, output: str = "", error: BaseException | None = None) -> Document:
        self = super().__new__(cls, path)
        self.output = output
        self.position = -1
        self.error = error
        return self


def _output_name(relative: str, suffix: str) -> str:
    return os.path.splitext(relative)[0] + suffix


def _is_xml_format_name(path: str) -> bool:
    return path.lower().endswith((".hwpx", ".hml"))


def _beside_its_hwp_twin(path: str) -> bool:
    """Whether an HWPML file x.hml has x.hwp beside it, which comes after it in name
    order and would take x.md first otherwise."""
    if not path.lower().endswith(".hml"):
        return False
    stem = os.path.splitext(path)[0]
    return any(os.path.isfile(stem + ext) for ext in (".hwp", ".HWP"))


def _documents(paths: list[str], outdir: str | None, suffix: str = ".md") -> Iterator[Document]:
    """Every document of the run with its output (named with `suffix`), in a fixed order. A second
    document aimed at an output already taken is a ConflictingOutputError; the
    same document reached twice (named and inside a named folder) is dropped."""
    cwd = os.getcwd()
    claimed: dict[str, str] = {}

    def place(path: str, output: str) -> Document | None:
        ext = os.path.splitext(path)[1]
        if _beside_its_hwp_twin(path) and not output.endswith(ext + suffix):
            output = output[: -len(suffix)] + ext + suffix
        key = os.path.normpath(os.path.join(cwd, output))
        if key == os.path.normpath(os.path.join(cwd, path)):
            return Document(path, output, ConflictingOutputError(f"its Markdown would replace it: {output}"))
        earlier = claimed.get(key)
        if earlier is None:
            claimed[key] = path
            return Document(path, output)
        with contextlib.suppress(OSError):
            if os.path.samefile(earlier, path):
                return None
        # x.hwp and x.hwpx (or x.hml) side by side, the same document in two
        # formats as often as not: the XML one keeps its extension in its
        # Markdown name.
        if _is_xml_format_name(path) and not output.endswith(ext + suffix):
            stem = output[: -len(suffix)]
            return place(path, stem + ext + suffix)
        return Document(path, output, ConflictingOutputError(f"{earlier} is also written to {output}"))

    for top in paths:
        if os.path.isdir(top):
            base = outdir if outdir is not None else top
            prefix = os.path.join(top, "")
            for path, error in walk_documents(top):
                if error is not None:  # a folder that cannot be listed
                    yield Document(path, error=error)
                    continue
                document = place(path, os.path.join(base, _output_name(path[len(prefix) :], suffix)))
                if document is not None:
                    yield document
        else:  # a file, or a path that does not exist: converting it reports why
            base = outdir if outdir is not None else os.path.dirname(top)
            document = place(top, os.path.join(base, _output_name(os.path.basename(top), suffix)))
            if document is not None:
                yield document


def _up_to_date(document: Document) -> bool:
    """Whether the document's Markdown exists and is not older than the document."""
    try:
        return os.stat(document.output).st_mtime_ns >= os.stat(document).st_mtime_ns
    except OSError:
        return False


def _message(path: str, error: BaseException) -> str:
    """The error's message, without the document's own path (reported beside it)."""
    if isinstance(error, OSError) and error.strerror:
        other = error.filename is not None and os.fspath(error.filename) != path
        return f"{error.strerror}: {os.fspath(error.filename)}" if other else error.strerror
    return str(error) or type(error).__name__


def _say(line: str, bar: Any = None) -> None:
    """A line on standard error, through the progress bar when there is one."""
    if bar is not None:
        bar.write(line, file=sys.stderr)
    else:
        print(line, file=sys.stderr)


def _report(path: str, error: BaseException, errors: IO[str] | None, bar: Any = None) -> None:
    """A failure on standard error (through the progress bar when there is one) and,
    with --errors, as a JSON line."""
    _say(f"brindle: {path}: {_message(path, error)}", bar)
    if errors is not None:
        errors.write(_json_line(path, error))
        errors.flush()


def _report_warnings(path: str, warnings: list[str], errors: IO[str] | None, bar: Any = None) -> None:
    """Damage a conversion read past: on standard error and, with --errors, as JSON
    lines of kind "warning" beside the document's failures."""
    for warning in warnings:
        _say(f"brindle: {path}: warning: {warning}", bar)
        if errors is not None:
            errors.write(_json_line(path, None, warning))
    if errors is not None and warnings:
        errors.flush()


def _json_line(path: str, error: BaseException | None, warning: str = "") -> str:
    if error is None:
        record = {"path": path, "kind": "warning", "message": warning}
    else:
        record = {"path": path, "kind": type(error).__name__, "message": _message(path, error)}
    line = json.dumps(record, ensure_ascii=False)
    try:
        line.encode("utf-8")
    except UnicodeEncodeError:  # a file name that is not UTF-8: escaped, still valid JSON
        line = json.dumps(record)
    return line + "\n"


# What YAML's double-quoted scalars may hold as they are; anything else is escaped.
def _yaml_printable(c: str) -> bool:
    o = ord(c)
    return (0x20 <= o <= 0x7E or 0xA0 <= o <= 0xD7FF or 0xE000 <= o <= 0xFFFD or o >= 0x10000) and o not in (
        0x2028,
        0x2029,
        0xFEFF,
    )


def _yaml_string(text: str) -> str:
    """`text` as a YAML double-quoted scalar: JSON's escapes (which YAML shares) for
    quotes, backslashes and controls, and \\u escapes for what YAML would not take."""
    quoted = json.dumps(text, ensure_ascii=False)
    return "".join(c if _yaml_printable(c) else f"\\u{ord(c):04x}" for c in quoted)


def front_matter(document: Parsed, source: str) -> str:
    """The YAML front matter of a parsed document: its properties and its source's
    file name, each string quoted so that no content can break the block."""
    lines = ["---"]
    for key, value in document.metadata.items():
        if isinstance(value, datetime.datetime):
            lines.append(f"{key}: {value.strftime(ISO_FORMAT)}")
        else:
            lines.append(f"{key}: {_yaml_string(str(value))}")
    lines.append(f"source: {_yaml_string(os.path.basename(source))}")
    lines.append(f"format: {document.format}")
    lines.append("---")
    return "\n".join(lines) + "\n\n"


def json_record(document: Parsed, source: str) -> str:
    record = {
        "source": os.path.basename(source),
        "format": document.format,
        "markdown": document.markdown,
        "metadata": json_metadata(document.metadata),
        "images": list(document.images),
        "fields": [dataclasses.asdict(f) for f in document.fields],
        "outline": [{"level": h.level, "text": h.text} for h in document.outline],
    }
    return json.dumps(record, ensure_ascii=False) + "\n"


def images_folder(output: str, suffix: str) -> str:
    """Where a document's pictures go: beside its output, named after it."""
    return output[: -len(suffix)] + ".images"


def _image_prefix(output: str, suffix: str) -> str:
    return os.path.basename(images_folder(output, suffix)) + "/"


class _Signals:
    """Turns the first SIGINT or SIGTERM into a request to stop (the run finishes the
    files it is writing); a second one acts as usual. Only in the main thread."""

    def __init__(self) -> None:
        self.signum = 0
        self._previous: dict[int, Any] = {}

    def _handle(self, signum: int, frame: object) -> None:
        self.signum = signum
        signal.signal(signum, self._previous[signum])

    def __enter__(self) -> _Signals:
        if threading.current_thread() is threading.main_thread():
            for signum, usual in ((signal.SIGINT, signal.default_int_handler), (signal.SIGTERM, signal.SIG_DFL)):
                if signal.getsignal(signum) is usual:  # leave an ignored signal ignored
                    self._previous[signum] = signal.signal(signum, self._handle)
        return self

    def hold(self) -> None:
        """From now on only records the signals, so that nothing can interrupt the
        cleanup and the summary."""
        for signum in self._previous:
            signal.signal(signum, self._handle)

    def __exit__(self, *exc: object) -> None:
        for signum, previous in self._previous.items():
            signal.signal(signum, previous)


class _Run:
    """One `convert` run over many documents: feeds convert_many, writes each result
    atomically, counts, reports failures in walk order and drives the progress bar."""

    def __init__(self, args: argparse.Namespace, errors: IO[str] | None, signals: _Signals) -> None:
        self.args = args
        self.suffix = ".json" if args.format == "json" else ".md"
        self.errors = errors
        self.signals = signals
        self.converted = self.failed = self.skipped = self.warnings = 0
        self.temporaries: set[str] = set()
        self.folders: set[str] = set()
        self.pid = os.getpid()
        self.next_index = 0
        # Each document's failure or warnings, held until the ones before it are done.
        self.held: dict[int, tuple[str, BaseException | None, list[str]] | None] = {}
        self.bar: Any = None
        self.counted: int | None = None
        self.finished = False

    # --- the documents fed to the pool ---

    def sources(self) -> Iterator[Document]:
        for index, document in enumerate(_documents(self.args.paths, self.args.output, self.suffix)):
            if self.signals.signum:
                return
            document.position = index
            if document.error is not None:
                self.done(document, document.error)
            elif self.args.skip_existing and _up_to_date(document):
                self.skipped += 1
                self.done(document, None)
            else:
                yield document

    def count(self) -> None:
        """Counts the documents in a second walk, so that the bar can show time left."""
        total = 0
        for _ in _documents(self.args.paths, self.args.output, self.suffix):
            if self.finished or self.signals.signum:
                return
            total += 1
        self.counted = total

    # --- results ---

    def result(self, result: ConversionResult[Document]) -> None:
        document = result.source
        error = result.error
        if error is None:
            assert result.markdown is not None
            try:
                if result.document is None:
                    self.write(document.output, result.markdown.encode("utf-8"))
                else:
                    self.write_parsed(document, result.document)
            except Exception as write_error:  # a full disk or a read-only folder fails this one document
                error = write_error
        if error is None:
            self.converted += 1
        self.done(document, error, result.warnings if error is None else [])

    def write_parsed(self, document: Document, parsed: Parsed) -> None:
        """The pictures first (so that the Markdown never links a file not yet
        there), then the Markdown or JSON file."""
        if self.args.images:
            folder = images_folder(document.output, self.suffix)
            for name, data in parsed.images.items():
                # Names are the core's: letters, digits, "-", "_", "."; checked all the same.
                if os.path.basename(name) != name or name.startswith("."):
                    raise ValueError(f"refusing the picture name {name!r}")
                self.write(os.path.join(folder, name), data)
        if self.args.format == "json":
            text = json_record(parsed, document)
        else:
            text = (front_matter(parsed, document) if self.args.front_matter else "") + parsed.markdown
        self.write(document.output, text.encode("utf-8"))

    def write(self, output: str, data: bytes) -> None:
        """Writes `data` to a temporary file beside `output`, then renames it over
        `output`; a failure or an interruption removes the temporary file."""
        folder, name = os.path.split(output)
        if folder and folder not in self.folders:
            os.makedirs(folder, exist_ok=True)
            self.folders.add(folder)
        temporary = os.path.join(folder, f".{name}.{self.pid}.tmp")
        self.temporaries.add(temporary)  # before it exists, so that no interruption can miss it
        try:
            with open(temporary, "wb") as file:
                file.write(data)
            os.replace(temporary, output)
        except BaseException:
            with contextlib.suppress(OSError):
                os.unlink(temporary)
            raise
        finally:
            self.temporaries.discard(temporary)

    def remove_temporaries(self) -> None:
        for temporary in list(self.temporaries):
            with contextlib.suppress(OSError):
                os.unlink(temporary)
            self.temporaries.discard(temporary)

    def done(self, document: Document, error: BaseException | None, warnings: list[str] | None = None) -> None:
        """Records the outcome of the document at `document.position`; failures and
        warnings are reported once every earlier document is done, in walk order."""
        if error is not None:
            self.failed += 1
        self.warnings += len(warnings or ())
        reported = error is not None or bool(warnings)
        self.held[document.position] = (str(document), error, warnings or []) if reported else None
        while self.next_index in self.held:
            outcome = self.held.pop(self.next_index)
            self.next_index += 1
            if outcome is not None:
                self.report(*outcome)
        self.tick(error is not None)

    def flush(self) -> None:
        """Reports the outcomes still held (after an interruption, earlier documents
        may never finish)."""
        for index in sorted(self.held):
            outcome = self.held.pop(index)
            if outcome is not None:
                self.report(*outcome)

    def report(self, path: str, error: BaseException | None, warnings: list[str]) -> None:
        if error is not None:
            _report(path, error, self.errors, self.bar)
        _report_warnings(path, warnings, self.errors, self.bar)

    # --- progress ---

    def start_bar(self) -> None:
        try:
            from tqdm import tqdm
        except ImportError:  # a run-time dependency, but a run without it still works
            return
        self.bar = tqdm(desc="converting", unit="doc", file=sys.stderr, dynamic_ncols=True)
        threading.Thread(target=self.count, name="brindle-count", daemon=True).start()

    def tick(self, failed: bool) -> None:
        if self.bar is None:
            return
        if self.counted is not None and self.bar.total is None:
            self.bar.total = self.counted
        if failed:
            self.bar.set_postfix(failed=self.failed, refresh=False)
        self.bar.update(1)

    def close_bar(self) -> None:
        self.finished = True
        if self.bar is not None:
            self.bar.close()
            self.bar = None


def _positive(text: str) -> int:
    try:
        value = int(text)
    except ValueError:
        raise argparse.ArgumentTypeError(f"not a whole number: {text!r}") from None
    if value < 1:
        raise argparse.ArgumentTypeError(f"must be at least 1, not {value}")
    return value


def _open_errors(parser: argparse.ArgumentParser, path: str | None) -> IO[str] | None:
    if path is None:
        return None
    try:
        return open(path, "w", encoding="utf-8")
    except OSError as error:
        parser.error(f"cannot write the errors file {path}: {error.strerror}")


def _to_stdout(path: str, args: argparse.Namespace, errors: IO[str] | None) -> int:
    """One document named, no -o: its Markdown (or JSON) on standard output."""
    try:
        if args.front_matter or args.format == "json" or args.page_markers:
            parsed = parse(path, profile=args.profile, image_prefix=None, page_markers=args.page_markers)
            if args.format == "json":
                markdown = json_record(parsed, path)
            else:
                markdown = (front_matter(parsed, path) if args.front_matter else "") + parsed.markdown
            warnings = parsed.warnings
        else:
            markdown, warnings = _converted(path, args.profile)
        _report_warnings(path, warnings, errors)
    except Exception as error:
        _report(path, error, errors)
        return 1
    try:
        if hasattr(sys.stdout, "buffer"):
            sys.stdout.flush()
            sys.stdout.buffer.write(markdown.encode("utf-8"))
        else:
            sys.stdout.write(markdown)
        sys.stdout.flush()
    except BrokenPipeError:  # the reader went away (| head): stop quietly
        os.dup2(os.open(os.devnull, os.O_WRONLY), sys.stdout.fileno())
        return 1
    return 0


def _convert(parser: argparse.ArgumentParser, args: argparse.Namespace) -> int:
    if args.output is not None and os.path.exists(args.output) and not os.path.isdir(args.output):
        parser.error(f"-o {args.output}: not a folder")
    if args.page_markers and args.profile != "full":
        parser.error("--page-markers: only the full profile marks pages")
    errors = _open_errors(parser, args.errors)
    try:
        if len(args.paths) == 1 and args.output is None and os.path.isfile(args.paths[0]) and not args.images:
            return _to_stdout(args.paths[0], args, errors)
        return _convert_many(args, errors)
    finally:
        if errors is not None:
            errors.close()


def _cpu_count() -> int:
    """The CPUs this process may run on (its affinity mask, where the system has one)."""
    if sys.version_info >= (3, 13):
        return os.process_cpu_count() or 1
    if hasattr(os, "sched_getaffinity"):
        return len(os.sched_getaffinity(0)) or 1
    return os.cpu_count() or 1


def _convert_many(args: argparse.Namespace, errors: IO[str] | None) -> int:
    start = time.perf_counter()
    with _Signals() as signals:
        run = _Run(args, errors, signals)
        stderr = sys.stderr
        if not args.quiet and stderr is not None and stderr.isatty():
            run.start_bar()
        try:
            workers = args.jobs or _cpu_count()
            parsing = args.images or args.front_matter or args.format == "json" or args.page_markers
            suffix = run.suffix
            results = convert_many(
                run.sources(),
                workers=workers,
                ordered=False,
                profile=args.profile,
                parse=parsing,
                image_prefix=lambda d: _image_prefix(d.output, suffix) if args.images else None,
                page_markers=args.page_markers,
            )
            with contextlib.closing(results):
                for result in results:
                    run.result(result)
                    if signals.signum:
                        break
        except KeyboardInterrupt:  # a second Ctrl-C, or one outside the main thread's handler
            signals.signum = signal.SIGINT
        finally:
            signals.hold()
            run.remove_temporaries()
            run.close_bar()
            run.flush()
        seconds = time.perf_counter() - start
        if not args.quiet:
            processed = run.converted + run.failed
            rate = processed / seconds if seconds > 0 else 0.0
            state = "interrupted: " if signals.signum else ""
            print(
                f"brindle: {state}converted {run.converted}, failed {run.failed}, skipped {run.skipped}, "
                f"warnings {run.warnings} in {seconds:.2f} s ({rate:.1f} documents/s)",
                file=sys.stderr,
            )
    if signals.signum:
        return 128 + signals.signum
    return 1 if run.failed else 0


def _records(args: argparse.Namespace) -> int:
    try:
        rows = records(args.file)
    except Exception as error:
        _report(args.file, error, None)
        return 1
    sys.stdout.write("".join(f"{tag}\t{level}\t{size}\n" for tag, level, size in rows))
    sys.stdout.flush()
    return 0


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="brindle", description="Convert HWP documents (HWP 5.0, HWPX and HWPML) to Markdown."
    )
    parser.add_argument("--version", action="version", version=f"brindle {__version__}")
    commands = parser.add_subparsers(dest="command", required=True, metavar="COMMAND")

    text = commands.add_parser(
        "convert",
        help="convert documents and folders of documents to Markdown",
        description=CONVERT_HELP,
        formatter_class=argparse.RawDescriptionHelpFormatter,
    )
    text.add_argument(
        "paths", nargs="+", metavar="PATH", help="a document, or a folder searched for *.hwp, *.hwpx and *.hml"
    )
    text.add_argument("-o", "--output", metavar="OUTDIR", help="the folder to write the Markdown into")
    text.add_argument(
        "-j", "--jobs", type=_positive, metavar="N", help="documents converted at once (default: the number of CPUs)"
    )
    text.add_argument(
        "--skip-existing",
        action="store_true",
        help="skip documents whose Markdown exists and is not older than the document",
    )
    text.add_argument(
        "--errors",
        metavar="FILE.jsonl",
        help='also write each failure (and each warning, of kind "warning") as a JSON line '
        "with keys path, kind and message",
    )
    text.add_argument(
        "-q", "--quiet", action="store_true", help="no progress bar and no summary line; failures are still listed"
    )
    text.add_argument(
        "--images",
        action="store_true",
        help="write each document's pictures into <name>.images/ beside its Markdown and link them",
    )
    text.add_argument(
        "--front-matter",
        action="store_true",
        help="start each Markdown file with a YAML block of the document's properties",
    )
    text.add_argument(
        "--format",
        choices=("md", "json"),
        default="md",
        help="md (default): Markdown files; json: one JSON object per document, with its "
        "Markdown, properties, image names, form fields and outline",
    )
    text.add_argument(
        "--page-markers",
        action="store_true",
        help="write <!-- page N --> before the first block of each page, where the document "
        "stores its layout (full profile)",
    )
    text.add_argument(
        "--profile",
        choices=PROFILES,
        default="full",
        help="full (default): everything the reader sees, notes, headers and footers, numbers, "
        "headings, links, captions; exact: what _brindle.hwp_to_markdown gives",
    )

    listing = commands.add_parser(
        "records",
        help="list the records of a document's first section",
        description="Print the tag id, level and size of each record of section 0, tab-separated, one a line.",
    )
    listing.add_argument("file", metavar="FILE")
    return parser


def main(argv: list[str] | None = None) -> int:
    """Runs the command line on `argv` (default: sys.argv[1:]); returns the exit status."""
    parser = _parser()
    try:
        args = parser.parse_args(argv)
        if args.command == "records":
            return _records(args)
        return _convert(parser, args)
    except SystemExit as stop:  # argparse's: --help, --version or a usage error
        return stop.code if isinstance(stop.code, int) else 0 if stop.code is None else 2
    except KeyboardInterrupt:  # Ctrl-C outside a conversion run (parsing, one document)
        return 128 + signal.SIGINT


if __name__ == "__main__":
    sys.exit(main())
