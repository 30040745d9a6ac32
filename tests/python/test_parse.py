"""brindle.parse: pictures handed out as files and linked from the Markdown, and the
document's properties, for HWP 5.0 and HWPX documents; convert_many(parse=True)."""

from __future__ import annotations

import dataclasses
import datetime
import random
import re
import struct

import pytest

import brindle
import hwpfixture as hwp
from hwpfixture import BinData, DocInfo, Paragraph, ParaShape, Picture, SectionDefinition, Table
from hwpfixture.document import deflate_raw
from hwpfixture.properties import (
    BMP,
    EMF,
    GIF,
    JPEG,
    PNG,
    STANDARD_SUMMARY_FORMAT,
    SUMMARY_INFORMATION,
    UNKNOWN,
    WMF,
    hpf_metadata,
    summary_information,
)

UTC = datetime.timezone.utc


def hwp_with_pictures(make_hwp, paragraphs, items, streams, compressed=True, **options):
    """An HWP document whose DocInfo lists `items` (BinData) and whose /BinData
    streams are `streams` (path -> bytes, deflated when the item is stored so)."""
    return make_hwp(
        [hwp.section(*paragraphs)],
        doc_info=DocInfo(bin_data=items),
        compressed=compressed,
        extra_streams=streams,
        **options,
    )


def stream_for(item: BinData, data: bytes, document_compressed: bool = True) -> dict[str, bytes]:
    deflated = item.compression == "deflated" or (item.compression == "document" and document_compressed)
    return {item.stream: deflate_raw(data) if deflated else data}


class TestHwpPictures:
    def test_each_picture_is_linked_to_its_file_and_given_once(self, make_hwp):
        items = [BinData(storage_id=1, extension="png"), BinData(storage_id=2, extension="jpg")]
        streams = {**stream_for(items[0], PNG), **stream_for(items[1], JPEG)}
        paragraphs = [
            Paragraph(Picture(["그림 1"], bin_item=1)),
            "사이",
            Paragraph(Picture(bin_item=2)),
            Paragraph(Picture(bin_item=1)),
        ]
        path = hwp_with_pictures(make_hwp, paragraphs, items, streams)
        document = brindle.parse(path)
        assert document.format == "hwp"
        assert dict(document.images) == {"BIN0001.png": PNG, "BIN0002.jpg": JPEG}
        assert document.markdown == (
            "![그림 1](images/BIN0001.png)\n\n사이\n\n![](images/BIN0002.jpg)\n\n![](images/BIN0001.png)"
        )
        # convert keeps the placeholders; the exact profile hands nothing out.
        assert brindle.convert(path) == "[이미지: 그림 1]\n\n사이\n\n[이미지]\n\n[이미지]"
        # Without a prefix the pictures stay placeholders.
        unlinked = brindle.parse(path, image_prefix=None)
        assert unlinked.markdown == brindle.convert(path) and dict(unlinked.images) == {}
        exact = brindle.parse(path, profile="exact")
        assert exact.markdown == brindle.convert(path, profile="exact") and dict(exact.images) == {}
        # The prefix is the caller's; what would end a link is encoded.
        assert brindle.parse(path, image_prefix="").markdown.startswith("![그림 1](BIN0001.png)")
        assert brindle.parse(path, image_prefix="my pics (1)/").markdown.startswith(
            "![그림 1](my%20pics%20%281%29/BIN0001.png)"
        )

    @pytest.mark.parametrize(
        "compression, document_compressed",
        [
            ("document", True),
            ("document", False),
            ("stored", True),
            ("deflated", False),
        ],
    )
    def test_streams_are_inflated_as_the_item_or_the_document_says(self, make_hwp, compression, document_compressed):
        item = BinData(storage_id=7, extension="gif", compression=compression)
        path = hwp_with_pictures(
            make_hwp,
            [Paragraph(Picture(bin_item=1))],
            [item],
            stream_for(item, GIF, document_compressed),
            compressed=document_compressed,
        )
        assert dict(brindle.parse(path).images) == {"BIN0007.gif": GIF}

    @pytest.mark.parametrize(
        "data, name",
        [
            (PNG, "BIN0001.png"),
            (JPEG, "BIN0001.jpg"),
            (GIF, "BIN0001.gif"),
            (BMP, "BIN0001.bmp"),
            (WMF, "BIN0001.wmf"),
            (EMF, "BIN0001.emf"),
            (UNKNOWN, "BIN0001.bin"),
        ],
    )
    def test_the_extension_is_the_one_the_bytes_call_for(self, make_hwp, data, name):
        item = BinData(storage_id=1, extension="jpg")  # whatever the record says
        path = hwp_with_pictures(make_hwp, [Paragraph(Picture())], [item], stream_for(item, data))
        document = brindle.parse(path)
        assert dict(document.images) == {name: data} and document.markdown == f"![](images/{name})"

    def test_what_is_no_embedded_picture_keeps_its_placeholder(self, make_hwp):
        items = [
            BinData("link", path="C:\\그림\\photo [1].jpg"),  # kept outside the document
            BinData(storage_id=2, extension="png"),  # its stream is missing
            BinData("storage", storage_id=3),  # an OLE object
            BinData(storage_id=4, extension="png", compression="deflated"),  # does not inflate
        ]
        streams = {"/BinData/BIN0003.OLE": b"ole", items[3].stream: b"\xff\xff\xff not deflate"}
        paragraphs = [Paragraph(Picture(bin_item=k)) for k in (1, 2, 3, 4, 0, 99)]
        path = hwp_with_pictures(make_hwp, paragraphs, items, streams)
        document = brindle.parse(path)
        assert dict(document.images) == {}
        assert document.markdown.split("\n\n") == ["[이미지: C:\\\\그림\\\\photo \\[1\\].jpg]"] + ["[이미지]"] * 5

    def test_an_extension_spelt_otherwise_finds_the_stream_of_its_storage_id(self, make_hwp):
        item = BinData(storage_id=0x1A, extension="png")
        path = hwp_with_pictures(make_hwp, [Paragraph(Picture())], [item], {"/BinData/BIN001A.jpeg": deflate_raw(JPEG)})
        assert dict(brindle.parse(path).images) == {"BIN001A.jpg": JPEG}

    def test_pictures_in_cells_and_captions_with_brackets(self, make_hwp):
        item = BinData(storage_id=1)
        table = Table([["a", [Paragraph(Picture(bin_item=1))]], ["b", "c"]])
        paragraphs = [Paragraph(table), Paragraph(Picture(["[도표] 1|2"], bin_item=1))]
        path = hwp_with_pictures(make_hwp, paragraphs, [item], stream_for(item, PNG))
        document = brindle.parse(path)
        assert document.markdown.splitlines()[0] == "|a|![](images/BIN0001.png)|"
        assert document.markdown.endswith("![\\[도표\\] 1|2](images/BIN0001.png)")
        assert list(document.images) == ["BIN0001.png"]

    def test_a_picture_stream_past_the_bound_is_a_placeholder_and_the_text_stays(self, make_hwp):
        item = BinData(storage_id=1, compression="deflated")
        bomb = hwp.Stored(deflate_raw(b"\0" * (129 << 20)))
        path = hwp_with_pictures(make_hwp, ["앞", Paragraph(Picture()), "뒤"], [item], {item.stream: bomb})
        document = brindle.parse(path)
        assert document.markdown == "앞\n\n[이미지]\n\n뒤" and dict(document.images) == {}

    def test_a_hundred_thousand_binary_data_records(self, make_hwp):
        items = [BinData(storage_id=k % 0xFFFF + 1) for k in range(100_000)]
        picture = BinData(storage_id=5)
        path = hwp_with_pictures(
            make_hwp,
            [Paragraph(Picture(bin_item=5)), Paragraph(Picture(bin_item=65535))],
            items,
            stream_for(picture, PNG),
        )
        document = brindle.parse(path)
        assert dict(document.images) == {"BIN0005.png": PNG}
        assert document.markdown == "![](images/BIN0005.png)\n\n[이미지]"


class TestHwpxPictures:
    def test_pictures_are_read_from_the_package_by_their_manifest_items(self, make_hwpx):
        pictures = [
            ("image1", "BinData/image1.png", PNG),
            ("image2", "BinData/photo.bmp", JPEG),
            ("image3", "D:\\외부\\사진.jpg", None),
        ]
        paragraphs = [
            Paragraph(Picture(["그림"], bin_item=1)),
            Paragraph(Picture(bin_item=2)),
            Paragraph(Picture(bin_item=1)),
            Paragraph(Picture(bin_item=3)),
            Paragraph(Picture(bin_item=4)),
        ]
        path = make_hwpx([paragraphs], pictures=pictures)
        document = brindle.parse(path)
        assert document.format == "hwpx"
        assert dict(document.images) == {"image1.png": PNG, "photo.jpg": JPEG}
        assert document.markdown.split("\n\n") == [
            "![그림](images/image1.png)",
            "![](images/photo.jpg)",
            "![](images/image1.png)",
            "[이미지: D:\\\\외부\\\\사진.jpg]",
            "[이미지]",
        ]
        assert brindle.convert(path) == "[이미지: 그림]\n\n[이미지]\n\n[이미지]\n\n[이미지]\n\n[이미지]"

    def test_hostile_part_names_give_safe_unique_file_names(self, make_hwpx):
        pictures = [
            ("a", "BinData/../../etc/x.png", PNG),
            ("b", "BinData/x.png", PNG),
            ("c", "BinData/.hidden", GIF),
            ("d", "BinData/사진 한 장.png", PNG),
        ]
        paragraphs = [Paragraph(Picture(bin_item=k)) for k in range(1, 5)]
        pictures = [(f"image{k + 1}", href, data) for k, (_, href, data) in enumerate(pictures)]
        document = brindle.parse(make_hwpx([paragraphs], pictures=pictures))
        names = list(document.images)
        # A stem of the part's own name, else the item's id, else "picture".
        assert names == ["x.png", "x-2.png", "image3.gif", "picture.png"]
        assert all(re.fullmatch(r"[A-Za-z0-9_][A-Za-z0-9._-]*", n) and ".." not in n for n in names)


class TestProperties:
    FIELDS = dict(
        title="연간 보고서",
        subject="예산",
        author="홍길동",
        keywords="예산, 보고",
        comments="초안\r\n",
        last_saved_by="admin",
        created=datetime.datetime(2024, 3, 5, 9, 30, 1, tzinfo=UTC),
        modified=datetime.datetime(2025, 1, 2, 23, 59, 59, tzinfo=UTC),
    )

    def hwp(self, make_hwp, stream: bytes | None):
        extra = {} if stream is None else {SUMMARY_INFORMATION: stream}
        return make_hwp([hwp.section("본문")], extra_streams=extra)

    def test_every_field_of_the_summary_information(self, make_hwp):
        document = brindle.parse(self.hwp(make_hwp, summary_information(**self.FIELDS)))
        assert document.metadata == {**self.FIELDS, "comments": "초안"}
        assert list(document.metadata) == list(brindle._document.METADATA_KEYS)
        # Read by either profile.
        assert brindle.parse(self.hwp(make_hwp, summary_information(**self.FIELDS)), profile="exact").metadata

    def test_absent_empty_and_unset_fields_are_absent(self, make_hwp):
        assert brindle.parse(self.hwp(make_hwp, None)).metadata == {}
        stream = summary_information(title=" \0", author="작성자", created=0, modified=1 << 63)
        assert brindle.parse(self.hwp(make_hwp, stream)).metadata == {"author": "작성자"}
        # A date stored as a string, a title as a date: values of the wrong type are left out.
        stream = summary_information(created="2024년 3월", title=datetime.datetime(2024, 1, 1, tzinfo=UTC))
        assert brindle.parse(self.hwp(make_hwp, stream)).metadata == {}

    def test_code_pages_and_format_ids(self, make_hwp):
        utf8 = summary_information(code_page=65001, title="제목".encode(), subject=b"plain")
        assert brindle.parse(self.hwp(make_hwp, utf8)).metadata == {"title": "제목", "subject": "plain"}
        # Another code page: ASCII is read, the rest is not guessed at.
        cp949 = summary_information(code_page=949, title="제목".encode("cp949"), subject=b"ascii")
        assert brindle.parse(self.hwp(make_hwp, cp949)).metadata == {"subject": "ascii"}
        standard = summary_information(format_id=STANDARD_SUMMARY_FORMAT, title="표준")
        assert brindle.parse(self.hwp(make_hwp, standard)).metadata == {"title": "표준"}
        other = summary_information(format_id=b"\x01" * 16, title="다른 집합")
        assert brindle.parse(self.hwp(make_hwp, other)).metadata == {}

    def test_damaged_sets_read_what_they_can_and_never_fail(self, make_hwp):
        stream = summary_information(**self.FIELDS)
        rng = random.Random(20261208)
        cases = [stream[:n] for n in range(0, len(stream), 7)]
        for _ in range(300):
            damaged = bytearray(stream)
            for _ in range(rng.randint(1, 6)):
                at = rng.randrange(len(damaged))
                damaged[at : at + 4] = struct.pack(
                    "<I", rng.choice([0, 1, 0xFFFFFFFF, 0x7FFFFFFF, rng.getrandbits(32)])
                )
            cases.append(bytes(damaged))
        for case in cases:
            metadata = brindle.parse(self.hwp(make_hwp, case)).metadata
            assert set(metadata) <= set(self.FIELDS)
            assert all(isinstance(v, str) for k, v in metadata.items() if k not in ("created", "modified"))

    def test_hwpx_metadata(self, make_hwpx):
        metadata = hpf_metadata(
            title="제목",
            creator="지은이",
            subject="주제",
            description="설명",
            lastsaveby="나",
            CreatedDate="2025-09-17T04:32:50Z",
            ModifiedDate="Fri Jul 02 03:36:13 UTC 2010",
            keyword="열쇠",
        )
        document = brindle.parse(make_hwpx([["본문"]], metadata=metadata))
        assert document.metadata == {
            "title": "제목",
            "subject": "주제",
            "author": "지은이",
            "keywords": "열쇠",
            "comments": "설명",
            "last_saved_by": "나",
            "created": datetime.datetime(2025, 9, 17, 4, 32, 50, tzinfo=UTC),
            "modified": datetime.datetime(2010, 7, 2, 3, 36, 13, tzinfo=UTC),
        }

    @pytest.mark.parametrize(
        "written, expected",
        [
            ("2025-09-17T13:32:50+09:00", datetime.datetime(2025, 9, 17, 4, 32, 50, tzinfo=UTC)),
            ("2025-09-17T04:32", datetime.datetime(2025, 9, 17, 4, 32, tzinfo=UTC)),
            ("2024-02-29", datetime.datetime(2024, 2, 29, tzinfo=UTC)),
            ("Sat Jan 01 09:00:00 KST 2000", datetime.datetime(2000, 1, 1, tzinfo=UTC)),
            ("1970-01-01T00:00:00Z", None),  # what writers store for a date never set
            ("2023-02-29T00:00:00Z", None),
            ("2023-13-01", None),
            ("어제", None),
            ("", None),
        ],
    )
    def test_hwpx_dates(self, make_hwpx, written, expected):
        metadata = brindle.parse(make_hwpx([["본문"]], metadata=hpf_metadata(CreatedDate=written))).metadata
        assert metadata.get("created") == expected


def test_convert_many_parses_when_asked(make_hwp, make_hwpx):
    item = BinData(storage_id=1)
    sources = [
        hwp_with_pictures(make_hwp, [Paragraph(Picture())], [item], stream_for(item, PNG)),
        make_hwpx([[Paragraph(Picture())]], pictures=[("image1", "BinData/image1.png", PNG)]),
        b"junk",
    ]
    results = list(brindle.convert_many(sources, parse=True, workers=2))
    assert [list(r.document.images) for r in results[:2]] == [["BIN0001.png"], ["image1.png"]]
    assert [r.markdown for r in results[:2]] == ["![](images/BIN0001.png)", "![](images/image1.png)"]
    assert results[2].document is None and isinstance(results[2].error, brindle.NotACompoundFileError)
    assert all(r.document is None for r in brindle.convert_many(sources[:2]))
    marked = list(brindle.convert_many(sources[:2], parse=True, page_markers=True, image_prefix=None))
    assert [r.markdown for r in marked] == [
        brindle.parse(s, page_markers=True, image_prefix=None).markdown for s in sources[:2]
    ]
    with pytest.raises(ValueError, match="parse=True"):
        brindle.convert_many(sources, page_markers=True)


def test_parse_checks_its_arguments(make_hwp):
    path = make_hwp([hwp.section("a")])
    with pytest.raises(ValueError, match="unknown profile"):
        brindle.parse(path, profile="rich")  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="image_prefix"):
        brindle.parse(path, image_prefix=b"x/")  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="page_markers"):
        brindle.parse(path, page_markers="yes")  # type: ignore[arg-type]
    with pytest.raises(TypeError, match="page_markers as a bool"):
        brindle._native.parse_path(path.encode(), "full", None, 1)  # type: ignore[arg-type]
    with pytest.raises(FileNotFoundError):
        brindle.parse(path + ".missing")


OUTLINE_SHAPES = DocInfo(
    para_shapes=[ParaShape(), ParaShape("outline", 0), ParaShape("outline", 1), ParaShape("outline", 6)]
)


class TestOutline:
    # Text before each heading of one, two, three and four UTF-8 bytes a character, so
    # that a byte offset handed out as a str index would land elsewhere.
    PARAGRAPHS = [
        Paragraph(SectionDefinition()),
        "a é 본 😀",
        Paragraph("장 *하나*", shape=1),
        "본문 😀😀",
        Paragraph("절", shape=2),
        Paragraph("깊은", shape=3),
        Paragraph("둘째 장", shape=1),
        "끝",
    ]

    @pytest.mark.parametrize("kind", ["hwp", "hwpx"])
    def test_headings_in_order_with_their_levels_texts_and_str_indices(self, make_hwp, make_hwpx, kind):
        if kind == "hwp":
            path = make_hwp([hwp.section(*self.PARAGRAPHS)], doc_info=OUTLINE_SHAPES)
        else:
            path = make_hwpx([self.PARAGRAPHS], OUTLINE_SHAPES)
        document = brindle.parse(path)
        # Numbered by the outline numbering, unescaped, level 7 written as 6.
        assert [(h.level, h.text) for h in document.outline] == [
            (1, "1. 장 *하나*"),
            (2, "가. 절"),
            (6, "① 깊은"),
            (1, "2. 둘째 장"),
        ]
        for heading in document.outline:
            before, line = document.markdown[: heading.start], document.markdown[heading.start :].partition("\n")[0]
            assert line.startswith("#" * heading.level + " ") and before.endswith("\n\n")
        assert document.outline[0].start == len("a é 본 😀\n\n")
        assert brindle.parse(open(path, "rb").read()).outline == document.outline  # the buffer path agrees
        with pytest.raises(dataclasses.FrozenInstanceError):
            document.outline[0].level = 2  # type: ignore[misc]
        # The exact profile has neither outline nor pages.
        exact = brindle.parse(path, profile="exact")
        assert exact.outline == [] and exact.page_starts == [] and exact.page_count is None

    def test_page_markers_only_mark_where_pages_begin(self, make_hwp):
        # Whether a generated document stores a layout is the core's to say; the marked
        # Markdown is the plain one with a marker before each page's first block.
        path = make_hwp([hwp.section(*self.PARAGRAPHS, "마지막 문단입니다.")], doc_info=OUTLINE_SHAPES)
        plain, marked = brindle.parse(path), brindle.parse(path, page_markers=True)
        assert plain.markdown.endswith("\n\n마지막 문단입니다.") and len(plain.outline) == 4
        assert re.sub(r"<!-- page \d+ -->\n\n", "", marked.markdown) == plain.markdown
        assert (
            [int(n) for n in re.findall(r"<!-- page (\d+) -->", marked.markdown)]
            == [page for page, _ in marked.page_starts]
            == [page for page, _ in plain.page_starts]
        )
        assert all(marked.markdown[h.start :].startswith("#") for h in marked.outline)
        exact = brindle.parse(path, profile="exact", page_markers=True)
        assert exact.markdown == brindle.convert(path, profile="exact")
