"""brindle.integrations.llamaindex: BrindleReader as SimpleDirectoryReader's reader
of HWP and HWPX files, on the local file system and an fsspec one, with a damaged
document skipped or raised as the framework is told; whole or in chunks."""

from __future__ import annotations

import datetime
import os
import socket
import uuid

import pytest

from conftest import import_framework

import_framework("llama_index.core")

from llama_index.core import SimpleDirectoryReader  # noqa: E402
from llama_index.core.schema import MetadataMode  # noqa: E402

import brindle  # noqa: E402
import hwpfixture as hwp  # noqa: E402
from brindle.integrations.llamaindex import BrindleReader  # noqa: E402
from conftest import CORPUS_DIR  # noqa: E402
from hwpfixture import DocInfo, Paragraph, ParaShape, SectionDefinition, Table  # noqa: E402

CORPUS_PICKS = [
    "samples/lists.hwp",
    "samples/sample-5017.hwp",
    "hwpx/real/54265c99e5f45d9a5bfd9a09376c10f3f7301c41.hwpx",
    "hwpx/real/289c698c68985b8b7ad143e853d11c40f7b91c92.hwpx",
]
NAMES = ["a.hwp", "b.HWP", "c.hwpx", "e.hwpx"]
# What SimpleDirectoryReader tells of each file.
FILE_KEYS = {
    "file_path",
    "file_name",
    "file_type",
    "file_size",
    "creation_date",
    "last_modified_date",
    "last_accessed_date",
}


@pytest.fixture(autouse=True)
def no_network(monkeypatch):
    def refuse(*args, **kwargs):
        raise AssertionError("the reader went to the network")

    monkeypatch.setattr(socket.socket, "connect", refuse)


@pytest.fixture
def picks() -> list[bytes]:
    paths = [CORPUS_DIR / name for name in CORPUS_PICKS]
    if not all(p.is_file() for p in paths):
        pytest.skip("the shared corpus is absent")
    return [p.read_bytes() for p in paths]


@pytest.fixture
def folder(tmp_path, picks):
    """Links to corpus documents, one with an upper-case suffix, and a damaged one
    (d.hwp, fourth in the reader's order)."""
    for name, pick in zip(NAMES, CORPUS_PICKS):
        (tmp_path / name).symlink_to(CORPUS_DIR / pick)
    (tmp_path / "d.hwp").write_bytes(picks[0][:600])
    return tmp_path


def extractor() -> dict[str, BrindleReader]:
    reader = BrindleReader()
    return {".hwp": reader, ".hwpx": reader}


def properties(source) -> dict[str, str]:
    return {
        key: value.strftime("%Y-%m-%dT%H:%M:%SZ") if isinstance(value, datetime.datetime) else value
        for key, value in brindle.parse(source).metadata.items()
    }


def test_a_folder_is_read_and_the_damaged_document_reported(folder, capsys):
    documents = SimpleDirectoryReader(folder, file_extractor=extractor()).load_data()
    assert [d.metadata["file_name"] for d in documents] == NAMES
    assert f"Failed to load file {folder / 'd.hwp'}" in capsys.readouterr().out
    for document in documents:
        path = document.metadata["file_path"]
        assert document.text == brindle.convert(path)
        # The framework's own keys stay beside the document's format and properties.
        assert {key: document.metadata[key] for key in ("file_path", "file_name", "file_size")} == {
            "file_path": path,
            "file_name": os.path.basename(path),
            "file_size": os.path.getsize(path),
        }
        ours = {k: v for k, v in document.metadata.items() if k not in FILE_KEYS}
        assert ours == {"format": path.lower().rsplit(".", 1)[1], **properties(path)}
        embedded = document.get_content(MetadataMode.EMBED)
        assert f"file_path: {path}" in embedded and "format: " not in embedded and "created: " not in embedded
    assert documents[1].metadata["title"] == "제목입니다."


def test_the_damaged_document_raises_when_asked(folder):
    reader = SimpleDirectoryReader(folder, file_extractor=extractor(), raise_on_error=True)
    with pytest.raises(Exception, match="Error loading file") as raised:
        reader.load_data()
    error = raised.value.__cause__
    assert isinstance(error, brindle.DamagedDocumentError) and error.filename == folder / "d.hwp"
    # iter_data reads a file as it is asked for the next, up to the damaged one.
    batches = reader.iter_data()
    assert [[d.metadata["file_name"] for d in next(batches)] for _ in range(3)] == [["a.hwp"], ["b.HWP"], ["c.hwpx"]]
    with pytest.raises(Exception, match="Error loading file"):
        next(batches)


def test_documents_on_an_fsspec_file_system(picks):
    from fsspec.implementations.memory import MemoryFileSystem

    fs = MemoryFileSystem()
    root = f"/brindle-{uuid.uuid4().hex}"
    try:
        for name, data in zip(NAMES, picks):
            fs.pipe(f"{root}/{name}", data)
        fs.pipe(f"{root}/d.hwp", picks[0][:600])
        documents = SimpleDirectoryReader(root, file_extractor=extractor(), fs=fs).load_data()
        assert [d.metadata["file_name"] for d in documents] == NAMES
        for document, data in zip(documents, picks):
            assert document.text == brindle.convert(data)
            assert document.metadata["format"] == document.metadata["file_name"].lower().rsplit(".", 1)[1]
            assert {k: document.metadata[k] for k in properties(data)} == properties(data)
        with pytest.raises(Exception, match="Error loading file") as raised:
            SimpleDirectoryReader(root, file_extractor=extractor(), fs=fs, raise_on_error=True).load_data()
        error = raised.value.__cause__
        assert isinstance(error, brindle.DamagedDocumentError) and error.filename == f"{root}/d.hwp"
    finally:
        fs.rm(root, recursive=True)


def test_the_reader_alone(picks, tmp_path):
    path = tmp_path / "x.hwpx"
    path.write_bytes(picks[2])
    [document] = BrindleReader(profile="exact").load_data(path, extra_info={"format": "mine", "tag": 1})
    assert document.text == brindle.convert(path, profile="exact")
    assert document.metadata == {**properties(path), "format": "mine", "tag": 1}
    assert [d.text for d in BrindleReader().lazy_load_data(str(path))] == [brindle.convert(path)]
    with pytest.raises(FileNotFoundError):
        BrindleReader().load_data(tmp_path / "missing.hwp")


OUTLINE = DocInfo(para_shapes=[ParaShape(), ParaShape("outline", 0), ParaShape("outline", 1)])


def test_chunks_keep_their_heading_path_flat(tmp_path):
    hwp.write_hwp(
        tmp_path / "plan.hwp",
        [
            hwp.section(
                Paragraph(SectionDefinition(), "개요", shape=1),
                "본문 하나",
                Paragraph("목적", shape=2),
                Paragraph(Table([["a", "b"], ["c", "d"]])),
                Paragraph("결론", shape=1),
                "끝",
            )
        ],
        doc_info=OUTLINE,
    )
    reader = BrindleReader(mode="chunks")
    documents = SimpleDirectoryReader(tmp_path, file_extractor={".hwp": reader}).load_data()
    markdown = brindle.convert(tmp_path / "plan.hwp")
    assert [(d.metadata["headings"], d.metadata["chunk_index"], d.metadata["start_index"]) for d in documents] == [
        ("1. 개요", 0, 0),
        ("1. 개요 > 가. 목적", 1, markdown.index("## 가.")),
        ("2. 결론", 2, markdown.index("# 2.")),
    ]
    assert all(isinstance(v, (str, int)) for d in documents for v in d.metadata.values())
    # The heading path is context for the embedding and the model; the piece's place is not.
    embedded, shown = (documents[1].get_content(mode) for mode in (MetadataMode.EMBED, MetadataMode.LLM))
    assert "headings: 1. 개요 > 가. 목적" in embedded and "file_path: " in embedded
    assert "chunk_index" not in embedded and "headings: " in shown and "start_index" not in shown
    with pytest.raises(ValueError, match="mode"):
        BrindleReader(mode="elements")  # type: ignore[arg-type]
