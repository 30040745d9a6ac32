"""The archive-ready command line: --images writes each document's pictures beside its
Markdown and links them; --front-matter starts each file with YAML of the document's
properties; --format json writes one object per document, with its outline;
--page-markers marks the pages. Names from a document never choose a path outside the
output folder."""

from __future__ import annotations

import datetime
import json
import os
import re

import yaml

from brindle import parse
from brindle.cli import main
from hwpfixture import BinData, DocInfo, Paragraph, Picture, section, write_sample
from hwpfixture.document import deflate_raw, write_hwp
from hwpfixture.owpml import write_hwpx
from hwpfixture.properties import GIF, PNG, SUMMARY_INFORMATION, hpf_metadata, summary_information

HOSTILE = 'a "quoted" title: with\nnew lines, # hashes, --- dashes, {braces}, \\ and \u2028 \x85 \ufeff 😀'


def hwp_document(path, title=HOSTILE):
    items = [BinData(storage_id=1, extension="png"), BinData(storage_id=2, extension="gif")]
    streams = {
        items[0].stream: deflate_raw(PNG),
        items[1].stream: deflate_raw(GIF),
        SUMMARY_INFORMATION: summary_information(
            title=title, author="지은이", created=datetime.datetime(2024, 3, 5, 9, 30, tzinfo=datetime.timezone.utc)
        ),
    }
    write_hwp(
        path,
        [
            section(
                "본문",
                Paragraph(Picture(["그림 1"], bin_item=1)),
                Paragraph(Picture(bin_item=2)),
                Paragraph(Picture(bin_item=1)),
            )
        ],
        doc_info=DocInfo(bin_data=items),
        extra_streams=streams,
    )


def test_images_are_written_beside_each_document_and_linked(tmp_path):
    source = tmp_path / "in" / "sub dir"
    source.mkdir(parents=True)
    hwp_document(source / "보고 (최종).hwp")
    write_hwpx(
        source / "보고 (최종).hwpx",
        [[Paragraph(Picture(bin_item=1))]],
        pictures=[("image1", "BinData/../../../../escape.png", PNG)],
    )
    out = tmp_path / "out"
    assert main(["convert", "--images", "-q", str(tmp_path / "in"), "-o", str(out)]) == 0
    written = sorted(str(p.relative_to(out)) for p in out.rglob("*") if p.is_file())
    assert written == [
        "sub dir/보고 (최종).hwpx.images/escape.png",
        "sub dir/보고 (최종).hwpx.md",
        "sub dir/보고 (최종).images/BIN0001.png",
        "sub dir/보고 (최종).images/BIN0002.gif",
        "sub dir/보고 (최종).md",
    ]
    markdown = (out / "sub dir" / "보고 (최종).md").read_text()
    links = re.findall(r"!\[[^\]]*\]\(([^)]+)\)", markdown)
    assert links == [
        "보고%20%28최종%29.images/BIN0001.png",
        "보고%20%28최종%29.images/BIN0002.gif",
        "보고%20%28최종%29.images/BIN0001.png",
    ]
    # Every link, decoded, names a file written beside the Markdown.
    for link in links:
        target = out / "sub dir" / link.replace("%20", " ").replace("%28", "(").replace("%29", ")")
        assert target.read_bytes() in (PNG, GIF)
    assert not [p for p in tmp_path.rglob("escape.png") if out not in p.parents]


def test_front_matter_is_valid_yaml_whatever_the_strings_hold(tmp_path):
    hwp_document(tmp_path / "a.hwp")
    write_hwpx(
        tmp_path / "b.hwpx",
        [["본문"]],
        metadata=hpf_metadata(title="---\n...\n", creator="' \" : #", CreatedDate="2025-09-17T04:32:50Z"),
    )
    assert main(["convert", "--front-matter", "-q", str(tmp_path)]) == 0
    for name, expected in (
        (
            "a",
            {
                "title": HOSTILE.replace("\x85", "\x85"),
                "author": "지은이",
                "created": datetime.datetime(2024, 3, 5, 9, 30, tzinfo=datetime.timezone.utc),
                "source": "a.hwp",
                "format": "hwp",
            },
        ),
        (
            "b",
            {
                "title": "---\n...",
                "author": "' \" : #",
                "created": datetime.datetime(2025, 9, 17, 4, 32, 50, tzinfo=datetime.timezone.utc),
                "source": "b.hwpx",
                "format": "hwpx",
            },
        ),
    ):
        text = (tmp_path / f"{name}.md").read_text()
        block, body = re.fullmatch(r"---\n(.*?)\n---\n\n(.*)", text, re.S).groups()
        loaded = yaml.safe_load(block)
        if isinstance(loaded.get("created"), datetime.datetime) and loaded["created"].tzinfo is None:
            loaded["created"] = loaded["created"].replace(tzinfo=datetime.timezone.utc)
        assert loaded == expected
        assert body.startswith("본문")


def test_json_format_writes_one_object_per_document(tmp_path, capsys):
    hwp_document(tmp_path / "a.hwp", title="제목")
    assert main(["convert", "--format", "json", "-q", str(tmp_path), "-o", str(tmp_path / "out")]) == 0
    record = json.loads((tmp_path / "out" / "a.json").read_text())
    assert record["source"] == "a.hwp" and record["format"] == "hwp"
    assert record["metadata"] == {"title": "제목", "author": "지은이", "created": "2024-03-05T09:30:00Z"}
    # Without --images the pictures are placeholders and none is named.
    assert record["images"] == [] and record["markdown"] == "본문\n\n[이미지: 그림 1]\n\n[이미지]\n\n[이미지]"
    assert main(["convert", "--format", "json", "--images", "-q", str(tmp_path), "-o", str(tmp_path / "out")]) == 0
    record = json.loads((tmp_path / "out" / "a.json").read_text())
    assert record["images"] == ["BIN0001.png", "BIN0002.gif"]
    assert record["markdown"].startswith("본문\n\n![그림 1](a.images/BIN0001.png)")
    assert (tmp_path / "out" / "a.images" / "BIN0002.gif").read_bytes() == GIF
    assert not os.path.exists(tmp_path / "out" / "a.md")
    # One document on standard output, as JSON.
    assert main(["convert", "--format", "json", str(tmp_path / "a.hwp")]) == 0
    assert json.loads(capsys.readouterr().out)["markdown"].endswith("[이미지]")


def test_json_gives_the_outline_and_page_markers_go_through_to_the_markdown(tmp_path, capsys):
    write_sample(tmp_path / "sample.hwp")
    assert main(["convert", "--format", "json", str(tmp_path / "sample.hwp")]) == 0
    record = json.loads(capsys.readouterr().out)
    assert record["outline"] == [{"level": 1, "text": "1. 회의록"}]
    assert record["markdown"].startswith("# 1. 회의록\n\n")
    # Each run gives what parse(page_markers=True) gives, on standard output and in files.
    marked = parse(tmp_path / "sample.hwp", image_prefix=None, page_markers=True).markdown
    assert main(["convert", "--page-markers", str(tmp_path / "sample.hwp")]) == 0
    assert capsys.readouterr().out == marked
    assert main(["convert", "--page-markers", "-q", str(tmp_path), "-o", str(tmp_path / "out")]) == 0
    assert (tmp_path / "out" / "sample.md").read_text(encoding="utf-8") == marked
    # Only the full profile marks pages.
    assert main(["convert", "--page-markers", "--profile", "exact", str(tmp_path / "sample.hwp")]) == 2
    assert "only the full profile" in capsys.readouterr().err
