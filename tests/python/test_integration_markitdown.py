"""The MarkItDown plugin, loaded through its entry point: corpus documents from paths
and streams (by extension, MIME type or content alone), other compound files and ZIP
archives left alone, failures reported as MarkItDown reports them, the command line."""

from __future__ import annotations

import io
import os
import subprocess
import sys
import zipfile
from importlib.metadata import entry_points
from pathlib import Path

import pytest

import brindle
from conftest import CORPUS_DIR, import_framework
from hwpfixture.cfb import compound_file_bytes

import_framework("markitdown")

import markitdown._markitdown as markitdown_core  # noqa: E402
from markitdown import FileConversionException, MarkItDown, StreamInfo  # noqa: E402

from brindle.integrations import markitdown as plugin  # noqa: E402

ENTRY_POINT = "brindle.integrations.markitdown"


def corpus_sample() -> list[Path]:
    """Two titled HWP 5.0 documents, one untitled, two HWPX packages; a skip without the corpus."""
    hwp_files = sorted((CORPUS_DIR / "public").glob("*.hwp"))[:30]
    titled = sorted(hwp_files, key=lambda p: "title" not in brindle.parse(p).metadata)
    paths = titled[:2] + titled[-1:] + sorted((CORPUS_DIR / "hwpx" / "real").glob("*.hwpx"))[:2]
    if len(paths) < 5:
        pytest.skip("the shared corpus is absent")
    return paths


def installed_plugin() -> bool:
    """Whether an installed distribution declares the plugin and ships this very code."""
    for point in entry_points(group="markitdown.plugin"):
        if point.name == "brindle" and point.value == ENTRY_POINT and point.dist is not None:
            shipped = Path(str(point.dist.locate_file("brindle/integrations/markitdown.py")))
            if shipped.is_file() and shipped.read_bytes() == Path(plugin.__file__).read_bytes():
                return True
    return False


@pytest.fixture(scope="module")
def md(tmp_path_factory):
    """MarkItDown with plugins enabled. Where no installed brindle declares the entry
    point, a distribution made for the test declares it, so that MarkItDown still
    loads the plugin its own way."""
    with pytest.MonkeyPatch.context() as patch:
        if not any(e.name == "brindle" for e in entry_points(group="markitdown.plugin")):
            info = tmp_path_factory.mktemp("site") / "brindle_plugin_declaration-0.dist-info"
            info.mkdir()
            (info / "METADATA").write_text("Metadata-Version: 2.1\nName: brindle-plugin-declaration\nVersion: 0\n")
            (info / "entry_points.txt").write_text(f"[markitdown.plugin]\nbrindle = {ENTRY_POINT}\n")
            patch.syspath_prepend(str(info.parent))
        patch.setattr(markitdown_core, "_plugins", None)  # loaded once a process
        yield MarkItDown(enable_plugins=True)


def test_converts_paths_and_streams_and_reports_failures(md, tmp_path):
    for path in corpus_sample():
        expected = (brindle.convert(path), brindle.parse(path).metadata.get("title"))
        data = path.read_bytes()
        for result in (
            md.convert(path),
            md.convert_stream(io.BytesIO(data), stream_info=StreamInfo(extension=path.suffix)),
            md.convert_stream(io.BytesIO(data)),  # by content alone
            # Served as a generic type, taken ahead of the generic converters.
            md.convert_stream(
                io.BytesIO(data),
                stream_info=StreamInfo(mimetype="application/zip" if path.suffix == ".hwpx" else "text/plain"),
            ),
        ):
            assert (result.text_content, result.title) == expected, path.name
    # A failure is MarkItDown's FileConversionException, holding brindle's exception.
    cut = tmp_path / "cut.hwp"
    cut.write_bytes(corpus_sample()[0].read_bytes()[:1500])
    for path, error in [
        (cut, brindle.DamagedDocumentError),
        (CORPUS_DIR / "samples" / "password-12345.hwp", brindle.PasswordProtectedError),
    ]:
        with pytest.raises(FileConversionException) as info:
            md.convert(path)
        ours = [a.exc_info for a in info.value.attempts or [] if isinstance(a.converter, plugin.HwpConverter)]
        assert ours and all(exc_info and type(exc_info[1]) is error for exc_info in ours), path.name


def zip_bytes(*entries: tuple[str, bytes, int]) -> bytes:
    buffer = io.BytesIO()
    with zipfile.ZipFile(buffer, "w") as archive:
        for name, data, method in entries:
            archive.writestr(name, data, compress_type=method)
    return buffer.getvalue()


# Twenty streams first: the FileHeader entry lies in the sixth directory sector, found through the FAT.
MANY_STREAMS = {**{f"/S{i:02d}": b"x" for i in range(20)}, "/FileHeader": b"\0" * 256}


@pytest.mark.parametrize(
    "data, info, accepted",
    [
        (compound_file_bytes(MANY_STREAMS), StreamInfo(), True),
        (compound_file_bytes(MANY_STREAMS, version=4), StreamInfo(), True),
        (
            zip_bytes(("mimetype", b"application/hwp+zip", zipfile.ZIP_DEFLATED), ("a.xml", b"<a/>", 8)),
            StreamInfo(),
            True,
        ),
        (zip_bytes(("mimetype", b"application/owpml", zipfile.ZIP_STORED), ("a.xml", b"<a/>", 8)), StreamInfo(), True),
        (compound_file_bytes({"/WordDocument": b"x" * 5000, "/1Table": b"y"}), StreamInfo(extension=".doc"), False),
        (compound_file_bytes({"/FileHeader": b"\0" * 256})[:300], StreamInfo(), False),
        (zip_bytes(("mimetype", b"application/epub+zip", zipfile.ZIP_STORED)), StreamInfo(), False),
        (b"", StreamInfo(), False),
        (b"junk", StreamInfo(extension=".hwpx"), True),
        (b"junk", StreamInfo(mimetype="application/vnd.hancom.HWP"), True),
    ],
)
def test_accepts_hwp_documents_only_and_restores_the_position(data, info, accepted):
    stream = io.BytesIO(b"prefix" + data)
    stream.seek(6)
    assert plugin.HwpConverter().accepts(stream, info) is accepted
    assert stream.tell() == 6


@pytest.mark.skipif(
    not installed_plugin(),
    reason=(
        "the markitdown command line imports brindle from its installed distribution, which does not ship "
        "this brindle.integrations.markitdown (pip-install the package to run this test)"
    ),
)
def test_command_line_with_plugins():
    paths = corpus_sample()
    script = Path(sys.executable).parent / "markitdown"
    command = [str(script)] if script.is_file() else [sys.executable, "-m", "markitdown"]

    def run(*args: str, stdin: bytes | None = None) -> str:
        done = subprocess.run(
            [*command, *args],
            input=stdin,
            capture_output=True,
            timeout=120,
            env={**os.environ, "PYTHONIOENCODING": "utf-8"},
        )
        assert done.returncode == 0, done.stderr.decode(errors="replace")
        return done.stdout.decode()

    assert run("--use-plugins", str(paths[0])) == brindle.convert(paths[0]) + "\n"
    # From standard input, with nothing but the content to go by.
    assert run("-p", stdin=paths[-1].read_bytes()) == brindle.convert(paths[-1]) + "\n"
