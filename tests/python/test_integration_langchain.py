"""brindle.integrations.langchain: BrindleLoader run through LangChain on real and
synthetic documents, whole, block by block and in chunks, and on folders with a
damaged one."""

from __future__ import annotations

import datetime
import itertools
import json
import logging
from pathlib import Path

import pytest

from conftest import import_framework

import_framework("langchain_core")

import brindle  # noqa: E402
import hwpfixture as hwp  # noqa: E402
from brindle.integrations.langchain import BrindleLoader  # noqa: E402
from conftest import CORPUS_DIR  # noqa: E402
from hwpfixture import DocInfo, Paragraph, ParaShape, SectionDefinition, Table  # noqa: E402
from hwpfixture.properties import SUMMARY_INFORMATION, hpf_metadata, summary_information  # noqa: E402

# Headings nested three deep, a table, tables of the real documents, notes, equations.
CORPUS_PICKS = [
    "samples/lists.hwp",
    "samples/sample-5017.hwp",
    "samples/footnote-endnote.hwp",
    "hwpx/real/54265c99e5f45d9a5bfd9a09376c10f3f7301c41.hwpx",
    "hwpx/real/ef18e398c6c8db258e8c005d50c80e8b170491ce.hwpx",
    "hwpx/real/3f508237f65982eb929c7b57ee3bbdc711308030.hwpx",
    "hwpx/real/55d4f66917e7c2b592097825fb966787ffc9c159.hwpx",
]


@pytest.fixture
def corpus_folder(tmp_path) -> tuple[Path, list[str]]:
    """A folder of links to corpus documents, some in a subfolder and one named in
    upper case, with a file that is no document; and the documents' paths in the
    order the loader walks them."""
    picks = [CORPUS_DIR / name for name in CORPUS_PICKS]
    if not all(p.is_file() for p in picks):
        pytest.skip("the shared corpus is absent")
    folder = tmp_path / "docs"
    (folder / "sub").mkdir(parents=True)
    names = ["LISTS.HWP", "b.hwp", "sub/c.hwp", "d.hwpx", "sub/e.hwpx", "sub/f.hwpx", "sub/g.Hwpx"]
    for name, pick in zip(names, picks):
        (folder / name).symlink_to(pick)
    (folder / "notes.txt").write_text("no document")
    walked = ["LISTS.HWP", "b.hwp", "d.hwpx", "sub/c.hwp", "sub/e.hwpx", "sub/f.hwpx", "sub/g.Hwpx"]
    return folder, [str(folder / name) for name in walked]


def by_source(documents) -> dict[str, list]:
    found: dict[str, list] = {}
    for document in documents:
        found.setdefault(document.metadata["source"], []).append(document)
    return found


def json_properties(path: str) -> dict[str, str]:
    document = brindle.parse(path)
    fields = {"fields": [vars(f) for f in document.fields]} if document.fields else {}
    return {
        **{
            key: value.strftime("%Y-%m-%dT%H:%M:%SZ") if isinstance(value, datetime.datetime) else value
            for key, value in document.metadata.items()
        },
        **fields,
    }


def test_a_folder_loads_whole_documents_with_their_properties(corpus_folder):
    folder, paths = corpus_folder
    documents = list(BrindleLoader(folder, workers=3).lazy_load())
    assert [d.metadata["source"] for d in documents] == paths
    for document, path in zip(documents, paths):
        assert document.page_content == brindle.convert(path)
        assert document.metadata == {"source": path, "format": path.lower().rsplit(".", 1)[1], **json_properties(path)}
        json.dumps(document.metadata)
    assert {"title", "author", "created", "modified"} <= set(documents[1].metadata)
    # A glob of the caller's chooses instead; one path loads that document.
    globbed = sorted(d.metadata["source"] for d in BrindleLoader(folder, glob="sub/*.hwpx").load())
    assert globbed == [str(folder / "sub/e.hwpx"), str(folder / "sub/f.hwpx")]
    assert [d.page_content for d in BrindleLoader(paths[0]).load()] == [brindle.convert(paths[0])]


def test_an_endless_stream_of_paths_is_loaded_as_it_is_read(corpus_folder):
    _, paths = corpus_folder
    taken = 0

    def endless():
        nonlocal taken
        for path in itertools.cycle(paths):
            taken += 1
            yield path

    documents = BrindleLoader(endless(), workers=2).lazy_load()
    first = list(itertools.islice(documents, 10))
    assert [d.metadata["source"] for d in first] == list(itertools.islice(itertools.cycle(paths), 10))
    assert taken < 500
    documents.close()


def test_elements_are_the_blocks_of_the_markdown(corpus_folder):
    from langchain_text_splitters import MarkdownHeaderTextSplitter

    folder, paths = corpus_folder
    splitter = MarkdownHeaderTextSplitter([("#" * n, f"h{n}") for n in range(1, 7)])
    found = by_source(BrindleLoader(folder, mode="elements").lazy_load())
    assert list(found) == paths
    for path in paths:
        markdown = brindle.convert(path)
        elements = found[path]
        assert "\n\n".join(e.page_content for e in elements) == markdown
        assert [e.metadata["element_index"] for e in elements] == list(range(len(elements)))
        for element in elements:
            start = element.metadata["start_index"]
            assert markdown[start : start + len(element.page_content)] == element.page_content
            if element.metadata["category"] == "table":  # a whole table: header, delimiter row, rows
                rows = element.page_content.split("\n")
                assert all(row.startswith("|") for row in rows) and rows[1].startswith("|---")
        # The heading paths are those LangChain's own splitter finds.
        ours = [tuple(e.metadata["headings"]) for e in elements if e.metadata["category"] != "heading"]
        chunks = splitter.split_text(markdown)
        theirs = [tuple(chunk.metadata[key] for key in sorted(chunk.metadata)) for chunk in chunks]
        assert [path for path, _ in itertools.groupby(ours)] == theirs
    assert any(e.metadata["category"] == "heading" for e in found[paths[0]])


OUTLINE = DocInfo(
    bullets=["\uf06c"],
    para_shapes=[
        ParaShape(),
        ParaShape("outline", 0),
        ParaShape("outline", 1),
        ParaShape("outline", 2),
        ParaShape("bullet", bullet=1),
    ],
)
NESTED = [
    Paragraph(SectionDefinition(), "개요", shape=1),
    "본문 하나",
    Paragraph("목적", shape=2),
    Paragraph(Table([["a", "b"], ["c", "d"]])),
    Paragraph("세부", shape=3),
    "본문 둘",
    Paragraph("점", shape=4),
    Paragraph("범위", shape=2),
    "본문 셋",
    Paragraph("결론", shape=1),
    "끝",
]
NESTED_ELEMENTS = [
    ("# 1. 개요", "heading", ["1. 개요"]),
    ("본문 하나", "paragraph", ["1. 개요"]),
    ("## 가. 목적", "heading", ["1. 개요", "가. 목적"]),
    ("|a|b|\n|---|---|\n|c|d|", "table", ["1. 개요", "가. 목적"]),
    ("### 1) 세부", "heading", ["1. 개요", "가. 목적", "1) 세부"]),
    ("본문 둘", "paragraph", ["1. 개요", "가. 목적", "1) 세부"]),
    ("- 점", "list", ["1. 개요", "가. 목적", "1) 세부"]),
    ("## 나. 범위", "heading", ["1. 개요", "나. 범위"]),
    ("본문 셋", "paragraph", ["1. 개요", "나. 범위"]),
    ("# 2. 결론", "heading", ["2. 결론"]),
    ("끝", "paragraph", ["2. 결론"]),
]


@pytest.mark.parametrize("kind", ["hwp", "hwpx"])
def test_nested_headings_and_properties_of_a_written_document(kind, make_hwp, make_hwpx):
    if kind == "hwp":
        properties = summary_information(
            title="계획서", author="기획팀", created=datetime.datetime(2024, 3, 5, 9, 30, tzinfo=datetime.timezone.utc)
        )
        path = make_hwp([hwp.section(*NESTED)], doc_info=OUTLINE, extra_streams={SUMMARY_INFORMATION: properties})
    else:
        path = make_hwpx(
            [NESTED],
            OUTLINE,
            metadata=hpf_metadata(title="계획서", creator="기획팀", CreatedDate="2024-03-05T09:30:00Z"),
        )
    elements = BrindleLoader([Path(path)], mode="elements").load()
    assert [(e.page_content, e.metadata["category"], e.metadata["headings"]) for e in elements] == NESTED_ELEMENTS
    assert {key: elements[0].metadata[key] for key in ("source", "format", "title", "author", "created")} == {
        "source": path,
        "format": kind,
        "title": "계획서",
        "author": "기획팀",
        "created": "2024-03-05T09:30:00Z",
    }


def test_an_hwpml_document_loads_as_its_twins(tmp_path):
    path = tmp_path / "계획서.hml"
    path.write_bytes(hwp.hwpml.hwpml_bytes([NESTED], OUTLINE, summary={"title": "계획서", "author": "기획팀"}))
    elements = BrindleLoader(tmp_path, mode="elements").load()
    assert [(e.page_content, e.metadata["category"], e.metadata["headings"]) for e in elements] == NESTED_ELEMENTS
    assert {key: elements[0].metadata[key] for key in ("source", "format", "title", "author")} == {
        "source": str(path),
        "format": "hwpml",
        "title": "계획서",
        "author": "기획팀",
    }


def test_chunks_carry_their_heading_path_index_and_place(make_hwp):
    path = make_hwp([hwp.section(*NESTED)], doc_info=OUTLINE)
    chunks = BrindleLoader(path, mode="chunks").load()
    # Cut at each heading, the table kept whole; the paths those of the elements.
    headings = [
        e.metadata["headings"]
        for e in BrindleLoader(path, mode="elements").load()
        if e.metadata["category"] == "heading"
    ]
    assert [c.metadata["headings"] for c in chunks] == headings
    markdown = brindle.convert(path)
    assert [(c.metadata["chunk_index"], c.metadata["start_index"]) for c in chunks] == [
        (i, markdown.index(c.page_content)) for i, c in enumerate(chunks)
    ]
    assert "\n\n".join(c.page_content for c in chunks) == markdown and chunks[0].metadata["source"] == path
    paged = brindle.parse(path).page_count is not None  # pages only where the layout is stored
    assert all(("first_page" in c.metadata) == ("last_page" in c.metadata) == paged for c in chunks)
    assert [c.page_content for c in BrindleLoader(path, mode="chunks", chunk_size=20).load()][1:3] == [
        "## 가. 목적",
        "|a|b|\n|---|---|\n|c|d|",
    ]
    with pytest.raises(ValueError, match="chunk_size"):
        BrindleLoader(path, mode="chunks", chunk_size=0)


# The first line of some of the sample document's blocks, and the category of each.
SAMPLE_CATEGORIES = [
    ("# 1. 회의록", "heading"),
    ("> 머리말: 사내 문서 | 대외비", "quote"),
    ("1. 안건", "list"),
    ("- 참석: 영업팀, 기획팀[^1]", "list"),
    ("|구분|실적||", "table"),
    ("$$", "equation"),
    ("[이미지: 그림 1. 회사 로고]", "image"),
    ("[^1]: 회의는 본사 3층에서 열렸습니다.", "footnote"),
    ("가) 실적 검토", "paragraph"),
    ("분기별 실적", "paragraph"),
]


def test_categories_and_pictures_of_the_sample_document(tmp_path):
    path = str(tmp_path / "sample.hwp")
    hwp.write_sample(path)
    kinds = {e.page_content.split("\n")[0]: e.metadata["category"] for e in BrindleLoader(path, mode="elements").load()}
    assert [(line, kinds[line]) for line, _ in SAMPLE_CATEGORIES] == SAMPLE_CATEGORIES
    # Pictures are placeholders unless a prefix links them to the files parse hands out.
    [linked] = BrindleLoader(path, image_prefix="pics/").load()
    assert linked.page_content == brindle.parse(path, image_prefix="pics/").markdown
    assert "![그림 1. 회사 로고](pics/BIN0001.png)" in linked.page_content
    assert linked.metadata["images"] == ["BIN0001.png"]
    assert "images" not in BrindleLoader(path).load()[0].metadata


def test_a_damaged_document_raises_or_is_skipped(corpus_folder, caplog):
    folder, paths = corpus_folder
    damaged = folder / "c-damaged.hwp"
    damaged.write_bytes((CORPUS_DIR / CORPUS_PICKS[0]).read_bytes()[:600])
    documents = BrindleLoader(folder).lazy_load()
    assert [d.metadata["source"] for d in itertools.islice(documents, 2)] == paths[:2]  # before it, in order
    with pytest.raises(brindle.DamagedDocumentError) as raised:
        next(documents)
    assert str(damaged) in str(raised.value) and raised.value.filename == str(damaged)

    missing = str(folder / "missing.hwp")
    with caplog.at_level(logging.WARNING, logger="brindle.integrations.langchain"):
        loaded = BrindleLoader([*paths[:3], damaged, missing, *paths[3:]], on_error="skip", workers=2).load()
    assert [d.metadata["source"] for d in loaded] == paths
    warned = [r.getMessage() for r in caplog.records if r.levelno == logging.WARNING]
    assert len(warned) == 2 and str(damaged) in warned[0] and "missing.hwp" in warned[1]
    with pytest.raises(FileNotFoundError):
        BrindleLoader([missing]).load()
