"""BrindleConverter in real Haystack pipelines: corpus documents as paths and as
ByteStreams into an InMemoryDocumentStore, failures skipped, serialisation kept;
whole or in chunks."""

from __future__ import annotations

import datetime
import inspect
import logging
import os
from pathlib import Path

import pytest

os.environ["HAYSTACK_TELEMETRY_ENABLED"] = "False"  # before haystack is first imported

import brindle
import hwpfixture as hwp
from conftest import CORPUS_DIR, import_framework
from hwpfixture import DocInfo, Paragraph, ParaShape, SectionDefinition, Table
from hwpfixture.properties import SUMMARY_INFORMATION, hpf_metadata, summary_information

import_framework("haystack")

from haystack import Pipeline  # noqa: E402
from haystack.components.writers import DocumentWriter  # noqa: E402
from haystack.dataclasses import ByteStream  # noqa: E402
from haystack.document_stores.in_memory import InMemoryDocumentStore  # noqa: E402

from brindle.integrations.haystack import BrindleConverter  # noqa: E402


def properties(path: Path) -> dict[str, object]:
    document = brindle.parse(path)
    dates = {
        k: v.strftime("%Y-%m-%dT%H:%M:%SZ") for k, v in document.metadata.items() if isinstance(v, datetime.datetime)
    }
    fields = {"fields": [vars(f) for f in document.fields]} if document.fields else {}
    return {"format": document.format, **document.metadata, **dates, **fields}


def test_pipeline_converts_paths_and_bytestreams_skips_failures_and_round_trips(tmp_path, caplog):
    hwp_files = sorted((CORPUS_DIR / "public").glob("*.hwp"))
    if not hwp_files:
        pytest.skip("the shared corpus is absent")
    paths = [p for p in hwp_files[:30] if brindle.parse(p).metadata.get("title")][:3]
    paths += sorted((CORPUS_DIR / "hwpx" / "real").glob("*.hwpx"))[:3]
    streams = [ByteStream(p.read_bytes(), meta={"origin": "upload", "file_path": f"/up/{p.name}"}) for p in paths]
    damaged = ByteStream(paths[0].read_bytes()[:1500], meta={"file_path": "/up/cut.hwp"})
    sources = [str(paths[0]), *paths[1:], damaged, tmp_path / "missing.hwp", *streams]

    store = InMemoryDocumentStore()
    pipeline = Pipeline()
    pipeline.add_component("converter", BrindleConverter(workers=2))
    pipeline.add_component("writer", DocumentWriter(document_store=store))
    pipeline.connect("converter.documents", "writer.documents")
    with caplog.at_level(logging.WARNING):
        out = pipeline.run(
            {"converter": {"sources": sources, "meta": [{"batch": i} for i in range(len(sources))]}},
            include_outputs_from={"converter"},
        )

    documents = out["converter"]["documents"]
    assert out["writer"]["documents_written"] == store.count_documents() == len(documents) == 2 * len(paths)
    # In the order of the sources, the two that failed left out and reported.
    batches = [*range(len(paths)), *range(len(paths) + 2, len(sources))]
    for document, path, batch in zip(documents, [*paths, *paths], batches, strict=True):
        assert document.content == brindle.convert(path)
        origin = {"origin": "upload"} if batch > len(paths) else {}
        assert document.meta == {**properties(path), "file_path": path.name, "batch": batch, **origin}
    assert {d.meta["format"] for d in documents} == {"hwp", "hwpx"} and any("title" in d.meta for d in documents)
    warnings = [r.getMessage() for r in caplog.records if r.levelno == logging.WARNING]
    for name in ("cut.hwp", "missing.hwp"):
        assert any(name in m and "Skipping" in m for m in warnings), warnings

    # Haystack 3 loads classes only from the modules it is told to trust; 2 from any.
    trusted = {"allowed_modules": ["brindle.integrations.haystack"]}
    if "allowed_modules" not in inspect.signature(Pipeline.loads).parameters:
        trusted = {}
    loaded = Pipeline.loads(pipeline.dumps(), **trusted)
    converter = loaded.get_component("converter")
    assert isinstance(converter, BrindleConverter) and converter.workers == 2
    assert converter.run(paths[-1:])["documents"][0].content == documents[-1].content


def test_properties_come_first_and_dates_are_iso_strings(make_hwp, make_hwpx):
    created = datetime.datetime(2024, 3, 5, 9, 30, 1, tzinfo=datetime.timezone.utc)
    hwp_path = make_hwp(
        [hwp.section("본문")],
        extra_streams={SUMMARY_INFORMATION: summary_information(title="보고서", author="홍길동", created=created)},
    )
    hwpx_path = make_hwpx([["본문"]], metadata=hpf_metadata(title="회의록", ModifiedDate="2025-09-17T04:32:50Z"))
    upload = ByteStream(Path(hwpx_path).read_bytes(), meta={"title": "업로드", "file_path": hwpx_path})
    sources = [Path(hwp_path), upload]
    documents = BrindleConverter(store_full_path=True, profile="exact").run(sources, meta={"tag": "x"})["documents"]
    assert [d.meta for d in documents] == [
        {
            "format": "hwp",
            "title": "보고서",
            "author": "홍길동",
            "created": "2024-03-05T09:30:01Z",
            "file_path": hwp_path,
            "tag": "x",
        },
        # The stream's meta overrides the document's properties.
        {"format": "hwpx", "title": "업로드", "modified": "2025-09-17T04:32:50Z", "file_path": hwpx_path, "tag": "x"},
    ]
    assert documents[0].content == brindle.convert(hwp_path, profile="exact")


def test_chunks_with_their_heading_paths_go_into_a_store_and_the_mode_round_trips(make_hwp):
    rows = [[f"{n}행", "값 " * 10] for n in range(1, 13)]
    path = make_hwp(
        [
            hwp.section(
                Paragraph(SectionDefinition(), "개요", shape=1),
                "본문",
                Paragraph("세부", shape=2),
                Paragraph(Table([["구분", "내용"], *rows])),
                Paragraph("결론", shape=1),
                "끝",
            )
        ],
        doc_info=DocInfo(para_shapes=[ParaShape(), ParaShape("outline", 0), ParaShape("outline", 1)]),
    )
    store = InMemoryDocumentStore()
    pipeline = Pipeline()
    pipeline.add_component("converter", BrindleConverter(mode="chunks", chunk_size=200))
    pipeline.add_component("writer", DocumentWriter(document_store=store))
    pipeline.connect("converter.documents", "writer.documents")
    out = pipeline.run({"converter": {"sources": [path], "meta": {"batch": 1}}}, include_outputs_from={"converter"})
    documents = out["converter"]["documents"]
    assert out["writer"]["documents_written"] == store.count_documents() == len(documents)
    assert [(d.content, d.meta["headings"], d.meta["chunk_index"], d.meta["start_index"]) for d in documents] == [
        (c.text, list(c.headings), c.index, c.start) for c in brindle.parse(path).chunks(200)
    ]
    # The table is cut between rows under its heading, each piece with its header.
    table = [d for d in documents if "|구분|내용|\n|---|---|\n" in d.content]
    assert len(table) > 1 and all(d.meta["headings"] == ["1. 개요", "가. 세부"] for d in table)
    assert all(d.meta["batch"] == 1 and d.meta["file_path"] == Path(path).name for d in documents)
    saved = pipeline.get_component("converter").to_dict()
    assert BrindleConverter.from_dict(saved).mode == "chunks" and BrindleConverter.from_dict(saved).chunk_size == 200
    # A component saved before the chunked mode loads whole.
    del saved["init_parameters"]["mode"], saved["init_parameters"]["chunk_size"]
    assert BrindleConverter.from_dict(saved).run([path])["documents"][0].content == brindle.convert(path)
