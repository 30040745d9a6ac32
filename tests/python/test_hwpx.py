"""HWPX documents (the ZIP package of OWPML XML parts) through brindle: told from HWP
5.0 by their content; the same Markdown as their HWP twin whatever prefixes, namespace
generation, part names or encoding a writer uses; and every damaged or hostile package
refused with an error of its kind, or read as far as it can be, in bounded time and
memory. Packages are written by the fixture writer (owpml.py, zipwriter.py)."""

from __future__ import annotations

import io
import re
import subprocess
import sys
import zipfile

import pytest

import _brindle
import brindle
import hwpfixture as hwp
from conftest import CORPUS_DIR
from hwpfixture import Footnote, Header, Hyperlink, Paragraph, SectionDefinition, Table, TextBox, owpml
from hwpfixture.zipwriter import FLAG_DATA_DESCRIPTOR, FLAG_ENCRYPTED, ZipEntry, entries_of, zip_archive

DOCUMENT = [
    Paragraph(SectionDefinition(), Header(["회사명"])),
    "첫 문단",
    Paragraph("자세히: ", Hyperlink("안내", "http://ex.com/a"), Footnote(["각주"])),
    Paragraph(Table([["가", "나"], ["다", ["라", "마"]]])),
    Paragraph(TextBox(["글상자"], caption=["그림 1"])),
]
EXPECTED = (
    "> 머리말: 회사명\n\n첫 문단\n\n자세히: [안내](http://ex.com/a)[^1]\n\n|가|나|\n|---|---|\n|다|라<br>마|\n\n"
    "글상자\n\n그림 1\n\n[^1]: 각주"
)


def parts(**options) -> dict[str, bytes | None]:
    return owpml.package_parts([DOCUMENT], **options)


def package(parts_: dict[str, bytes | None], **options) -> bytes:
    return zip_archive(entries_of(parts_), **options)


def test_an_hwpx_document_converts_from_a_path_bytes_or_a_file(make_hwp, tmp_path):
    data = package(parts())
    path = tmp_path / "문서.hwpx"
    path.write_bytes(data)
    assert brindle.convert(path) == EXPECTED
    assert brindle.convert(data) == EXPECTED
    assert brindle.convert(bytearray(data)) == EXPECTED
    assert brindle.convert(io.BytesIO(data)) == EXPECTED
    # Told by content, not by name; the same Markdown as the HWP 5.0 document.
    renamed = tmp_path / "report.hwp"
    renamed.write_bytes(data)
    assert brindle.convert(renamed) == brindle.convert(make_hwp([hwp.section(*DOCUMENT)])) == EXPECTED
    exact = brindle.convert(data, profile="exact")
    assert exact == brindle.convert(make_hwp([hwp.section(*DOCUMENT)]), profile="exact")
    # _brindle reads HWP 5.0 only, as before.
    with pytest.raises(RuntimeError, match="^Compound file error: "):
        _brindle.hwp_to_markdown(str(path))


def test_writers_choices_of_prefixes_namespaces_and_names_do_not_matter():
    renamed = owpml.package_parts([DOCUMENT], prefixes={"hp": "p", "hs": "sec", "hh": "h", "hc": "c"})
    assert brindle.convert(package(renamed)) == EXPECTED
    # The default namespace for the paragraph elements.
    default = owpml.package_parts([DOCUMENT], prefixes={"hp": ""})
    assert brindle.convert(package(default)) == EXPECTED
    # The standard's 2024 namespaces.
    assert brindle.convert(package(owpml.package_parts([DOCUMENT], uris=owpml.URIS_2024))) == EXPECTED
    # Parts stored with backslashes.
    backslashed = {name.replace("/", "\\"): data for name, data in parts().items()}
    assert brindle.convert(package(backslashed)) == EXPECTED
    # Sections in UTF-16, as XML allows.
    utf16 = parts()
    utf16["Contents/section0.xml"] = (
        utf16["Contents/section0.xml"].decode().replace('encoding="UTF-8"', 'encoding="UTF-16"').encode("utf-16")
    )
    assert brindle.convert(package(utf16)) == EXPECTED
    # An element of another namespace that looks like a paragraph is not one.
    foreign = parts()
    foreign["Contents/section0.xml"] = foreign["Contents/section0.xml"].replace(
        b"</hs:sec>", b'<x:p xmlns:x="urn:other"><x:run><x:t>not text</x:t></x:run></x:p></hs:sec>'
    )
    assert brindle.convert(package(foreign)) == EXPECTED
    # ZIP64 fields, data descriptors, stored parts.
    assert brindle.convert(package(parts(), zip64=True)) == EXPECTED
    described = [ZipEntry(e.name, e.data, e.method, flags=FLAG_DATA_DESCRIPTOR) for e in entries_of(parts())]
    assert brindle.convert(zip_archive(described)) == EXPECTED
    assert brindle.convert(owpml.zip_bytes(parts(), compress=False)) == EXPECTED


def test_what_is_an_hwpx_document_is_told_by_its_mimetype_or_manifest():
    without_mimetype = parts()
    without_mimetype["mimetype"] = None
    assert brindle.convert(package(without_mimetype)) == EXPECTED
    other = parts()
    other["mimetype"] = b"application/epub+zip"
    with pytest.raises(brindle.NotAnHwpDocumentError, match="a ZIP package of type 'application/epub\\+zip'"):
        brindle.convert(package(other))
    docx = {"[Content_Types].xml": b"<Types/>", "word/document.xml": b"<w:document/>"}
    with pytest.raises(brindle.NotAnHwpDocumentError, match="Office Open XML"):
        brindle.convert(package(docx))
    with pytest.raises(brindle.NotAnHwpDocumentError, match="neither an HWPX mimetype nor an HWPX manifest"):
        brindle.convert(package({"notes.txt": b"hello"}))
    with pytest.raises(brindle.NotACompoundFileError):
        brindle.convert(b"neither a compound file nor a ZIP archive")
    with pytest.raises(brindle.NotAnHwpDocumentError, match="no binary records"):
        brindle.records(package(parts()))


def test_packages_of_other_writers_are_read_as_the_word_processors():
    # The standard's package type, parts as ever.
    owpml_typed = parts()
    owpml_typed["mimetype"] = b"application/owpml"
    for profile in ("full", "exact"):
        assert brindle.convert(package(owpml_typed), profile=profile) == brindle.convert(
            package(parts()), profile=profile
        )
    # A section's paragraphs under a root of the writer's own: <hml:sec> of the
    # document namespace, or a bare <root>; in both profiles, with no warning.
    section = parts()["Contents/section0.xml"].decode()
    hml = ' xmlns:hml="http://www.hancom.co.kr/hwpml/2011/document"'
    for opening, closing in (("<hml:sec" + hml, "</hml:sec>"), ("<root", "</root>")):
        rooted = parts()
        rooted["Contents/section0.xml"] = section.replace("<hs:sec", opening, 1).replace("</hs:sec>", closing).encode()
        document = brindle.parse(package(rooted), image_prefix=None)
        assert document.markdown == EXPECTED and document.warnings == []
        assert brindle.convert(package(rooted), profile="exact") == brindle.convert(package(parts()), profile="exact")
    # A root that holds no paragraph is still no section.
    empty = parts()
    empty["Contents/section0.xml"] = f"<hml:sec{hml}><hml:other/></hml:sec>".encode()
    document = brindle.parse(package(empty))
    assert document.markdown == "" and document.warnings == [
        "Contents/section0.xml: passed over: its root element <sec> is no section of a namespace read here"
    ]


def test_the_shared_packages_of_other_writers_convert():
    # Each diverse HWPX document typed application/owpml, or whose section has
    # another root, converts in both profiles without passing a section over.
    others = []
    for path in sorted((CORPUS_DIR / "diverse" / "hwpx").glob("*.hwpx")):
        with zipfile.ZipFile(path) as archive:
            names = archive.namelist()
            typed = "mimetype" in names and archive.read("mimetype").strip() == b"application/owpml"
            section = archive.read("Contents/section0.xml")[:4096] if "Contents/section0.xml" in names else b""
        root = re.search(rb"<([\w:]+)", section.partition(b"?>")[2] or section)
        if typed or (root and root.group(1) != b"hs:sec"):
            others.append(path)
    if not others:
        pytest.skip("the shared corpus is absent")
    for path in others:
        document = brindle.parse(path, image_prefix=None)
        assert not any("passed over" in w for w in document.warnings), path.name
        assert brindle.convert(path, profile="exact").strip(), path.name


def test_an_encrypted_package_is_password_protected():
    encrypted = parts()
    encrypted["META-INF/manifest.xml"] = owpml.encrypted_manifest().encode()
    with pytest.raises(brindle.PasswordProtectedError, match="^Password-protected HWPX documents are not supported$"):
        brindle.convert(package(encrypted))
    flagged = [
        ZipEntry(e.name, e.data, e.method, flags=FLAG_ENCRYPTED if e.name == "Contents/section0.xml" else 0)
        for e in entries_of(parts())
    ]
    # A ZIP-encrypted section cannot be read: the document is refused, not cut short.
    with pytest.raises(brindle.PasswordProtectedError):
        brindle.convert(zip_archive(flagged))


SECOND = ["둘째 구역"]


def two_sections(**changes) -> dict[str, bytes | None]:
    result = owpml.package_parts([DOCUMENT, SECOND])
    result.update(changes)
    return result


def test_every_section_is_read_and_damage_to_one_is_never_silent():
    both = EXPECTED.replace("\n\n[^1]", "\n\n둘째 구역\n\n[^1]")
    assert brindle.convert(package(two_sections())) == both
    # Script items between the sections and itemrefs that say linear="no" hide no section.
    names = ["Contents/section0.xml", "Contents/section1.xml"]
    script = '<opf:item id="headersc" href="Scripts/headerScripts.js" media-type="application/x-javascript ;charset=utf-16"/>'
    hpf = (
        owpml.content_hpf(names, spine=["header", "section0", "headersc", "section1"])
        .replace("<opf:manifest>", "<opf:manifest>" + script)
        .replace('idref="section1"', 'idref="section1" linear="no"')
    )
    scripted = two_sections(
        **{"Contents/content.hpf": hpf.encode(), "Scripts/headerScripts.js": "f();".encode("utf-16")}
    )
    document = brindle.parse(package(scripted), image_prefix=None)
    assert document.markdown == both and document.warnings == []
    # A section missing, empty, not XML, declaring a DTD or failing its CRC is a damaged
    # document, in both profiles, the error naming the part and what is wrong with it.
    doctype = hostile_section("<hp:p/>", "<!DOCTYPE x>")
    for damage, why in (
        (None, "has no part"),
        (b"", "is empty"),
        (b"\x89PNG\r\n\x1a\n\x00", "not well-formed XML"),
        (doctype, "declares a document type"),
    ):
        data = package(two_sections(**{"Contents/section1.xml": damage}))
        for profile in ("full", "exact"):
            with pytest.raises(brindle.DamagedDocumentError) as caught:
                brindle.convert(data, profile=profile)
            assert "'Contents/section1.xml'" in str(caught.value) and why in str(caught.value)
    # XML that is no section is passed over, and said to be.
    other = brindle.parse(package(two_sections(**{"Contents/section1.xml": b"<html><p>x</p></html>"})))
    assert other.markdown == EXPECTED and other.warnings == [
        "Contents/section1.xml: passed over: its root element <html> is no section of a namespace read here"
    ]
    entries = entries_of(two_sections())
    for e in entries:
        if e.name == "Contents/section1.xml":
            e.crc = 12345
    with pytest.raises(brindle.DamagedDocumentError):
        brindle.convert(zip_archive(entries))
    # A spine naming an item the manifest lacks: the other sections, and a warning.
    spine = owpml.content_hpf(names, spine=["header", "section0", "ghost", "section1"])
    ghost = brindle.parse(package(two_sections(**{"Contents/content.hpf": spine.encode()})))
    assert ghost.markdown == both and ghost.warnings == [
        "Contents/content.hpf: the spine names item 'ghost', which the manifest does not list"
    ]
    # No manifest at all: the sections by their usual names.
    no_manifest = two_sections(**{"Contents/content.hpf": None, "META-INF/container.xml": None})
    assert brindle.convert(package(no_manifest)).startswith("> 머리말: 회사명\n\n첫 문단")
    # A header that cannot be read: no numbers, the text all the same.
    assert brindle.convert(package(two_sections(**{"Contents/header.xml": b"<not xml"}))).startswith("> 머리말")


@pytest.mark.parametrize("profile", ["full", "exact"])
def test_a_section_cut_short_keeps_the_text_before_the_break_and_says_so(profile, caplog):
    whole = brindle.convert(package(two_sections()), profile=profile)
    section = two_sections()["Contents/section1.xml"]
    assert section is not None
    cut = section[: section.index("역".encode()) + 1]  # inside a character: it goes, the text before it stays
    data = package(two_sections(**{"Contents/section1.xml": cut}))
    document = brindle.parse(data, profile=profile)
    assert document.markdown == whole.replace("둘째 구역", "둘째 구")
    [warning] = document.warnings
    assert warning.startswith(f"Contents/section1.xml: cut short at byte {len(cut) - 1} (")  # its last byte
    # convert gives the same Markdown and logs the warning under "brindle".
    with caplog.at_level("WARNING", logger="brindle"):
        assert brindle.convert(data, profile=profile) == document.markdown
    assert [r.getMessage() for r in caplog.records if r.name == "brindle"] == [f"<bytes>: {warning}"]


def damaged(entries: list[ZipEntry] | None = None, **options) -> bytes:
    return zip_archive(entries or entries_of(parts()), **options)


def with_entry(name: str, **changes) -> list[ZipEntry]:
    entries = entries_of(parts())
    for e in entries:
        if e.name == name:
            for key, value in changes.items():
                setattr(e, key, value)
    return entries


@pytest.mark.parametrize(
    "data, message",
    [
        (damaged()[:-30], "no ZIP end record"),
        (b"PK\x03\x04" + b"\0" * 600, "no ZIP end record"),
        (damaged(directory_size=10_000_000), "the central directory runs past the end of the file"),
        (damaged(entry_count=40), "central directory claims|is missing or cut short"),
        (
            damaged(with_entry("Contents/header.xml", compressed_size=10**9)),
            "zip entry 'Contents/header.xml' runs past",
        ),
        (damaged(with_entry("mimetype", local_offset=0x10)), "overlap"),
        (damaged(entries_of(parts()) + entries_of({"mimetype": b"again"})), "appears twice"),
        (damaged(with_entry("mimetype", crc=1)), "fails its CRC-32 check"),
        (damaged(with_entry("mimetype", local_name="mimetypo")), "differs from its local header"),
        (damaged(with_entry("mimetype", method="deflated", raw=b"\xff\xff")), "does not inflate"),
    ],
    ids=[
        "end-record-cut",
        "zip-header-alone",
        "directory-past-end",
        "directory-cut-short",
        "entry-past-end",
        "overlapping",
        "duplicate-name",
        "crc",
        "local-header",
        "corrupt-deflate",
    ],
)
def test_a_damaged_package_is_a_damaged_document(data, message, tmp_path):
    with pytest.raises(brindle.DamagedDocumentError, match=message):
        brindle.convert(data)
    path = tmp_path / "damaged.hwpx"
    path.write_bytes(data)
    with pytest.raises(RuntimeError, match="^Compound file error: "):  # as it always was
        _brindle.hwp_to_markdown(str(path))


def test_bounds_against_bombs_and_huge_packages():
    bomb = with_entry("Contents/section0.xml")
    for e in bomb:
        if e.name == "Contents/section0.xml":
            e.data = e.data + b" " * (64 << 20)  # white space after the root: 64 MiB at about 1000:1
    with pytest.raises(MemoryError, match="more than 200 times its size"):
        brindle.convert(zip_archive(bomb))
    big = with_entry("Contents/section0.xml", size=200 << 20)
    with pytest.raises(MemoryError, match="at most 128 MiB are supported per part"):
        brindle.convert(zip_archive(big))
    many = [ZipEntry(f"x/{n}", b"", "stored") for n in range(100_000)]
    with pytest.raises(MemoryError, match=r"lists 1000\d\d entries"):
        brindle.convert(zip_archive(entries_of(parts()) + many, zip64=True))


def hostile_section(body: str, doctype: str = "") -> bytes:
    return (
        f'<?xml version="1.0"?>{doctype}<hs:sec xmlns:hs="{owpml.URIS_2011["hs"]}" '
        f'xmlns:hp="{owpml.URIS_2011["hp"]}">{body}</hs:sec>'
    ).encode()


def test_text_that_is_not_utf8_never_reaches_the_markdown():
    text = parts()
    text["Contents/section0.xml"] = text["Contents/section0.xml"].replace(b"http://ex.com/a", b"http://ex\xf7.com/a")
    text["Contents/section0.xml"] = text["Contents/section0.xml"].replace(b"\xec\xb2\xab", b"\xec&#xDC00;\xb2")
    markdown = brindle.convert(package(text))
    assert "[안내](http://ex.com/a)" in markdown and "\n\n문단\n\n" in markdown  # the broken "첫" is dropped
    markdown.encode("utf-8")  # no surrogate


def test_xml_that_asks_for_more_than_owpml_is_refused(tmp_path):
    secret = tmp_path / "secret.txt"
    secret.write_text("do not read")
    laughs = (
        '<!DOCTYPE lolz [<!ENTITY lol "lol">'
        + "".join(f'<!ENTITY lol{k} "{("&lol" + (str(k - 1) if k > 1 else "") + ";") * 10}">' for k in range(1, 10))
        + "]>"
    )
    external = f'<!DOCTYPE x [<!ENTITY secret SYSTEM "file://{secret}">]>'
    for doctype, entity in ((laughs, "&lol9;"), (external, "&secret;")):
        section = hostile_section(f"<hp:p><hp:run><hp:t>{entity}</hp:t></hp:run></hp:p>", doctype)
        data = package(two_sections(**{"Contents/section0.xml": section}))
        with pytest.raises(brindle.DamagedDocumentError, match="declares a document type"):
            brindle.convert(data)  # the section is refused
    # Character references and the predefined entities are what they are.
    refs = hostile_section("<hp:p><hp:run><hp:t>&lt;a&gt; &amp;&#xAC00;&#44032;&#1;</hp:t></hp:run></hp:p>")
    assert brindle.convert(package(two_sections(**{"Contents/section0.xml": refs})), profile="exact") == (
        "<a> &가가\n\n둘째 구역"
    )


@pytest.mark.slow
def test_deep_nesting_is_read_in_bounded_depth():
    depth = 1_000_000
    body = "<hp:p><hp:run><hp:t>위</hp:t></hp:run></hp:p>" + "<hp:x>" * depth + "</hp:x>" * depth
    entries = entries_of(two_sections(**{"Contents/section0.xml": hostile_section(body)}))
    for e in entries:
        e.method = "stored"  # deflated, this much repetition is refused as a bomb
    assert brindle.convert(zip_archive(entries)) == "위\n\n둘째 구역"
    # Text boxes in text boxes far deeper than paragraph lists may nest.
    box: object = "맨 안"
    for _ in range(60):
        box = Paragraph(TextBox([box]))
    assert brindle.convert(hwp.hwpx_bytes([[box]])) == ""


def test_the_command_line_finds_hwpx_documents(tmp_path, make_hwp):
    docs = tmp_path / "docs"
    docs.mkdir()
    (docs / "a.HWPX").write_bytes(package(parts()))
    hwp.write_hwp(docs / "b.hwp", [hwp.section(*DOCUMENT)])
    (docs / "b.hwpx").write_bytes(package(parts()))  # the same document in both formats
    out = tmp_path / "out"
    done = subprocess.run(
        [sys.executable, "-m", "brindle", "convert", str(docs), "-o", str(out), "-q"], capture_output=True, text=True
    )
    assert done.returncode == 0, done.stderr
    assert sorted(p.name for p in out.iterdir()) == ["a.md", "b.hwpx.md", "b.md"]
    assert (out / "a.md").read_text() == (out / "b.md").read_text() == (out / "b.hwpx.md").read_text() == EXPECTED


def test_convert_many_takes_both_formats(make_hwp):
    sources = [package(parts()), make_hwp([hwp.section(*DOCUMENT)]), package({"x": b"y"})]
    results = list(brindle.convert_many(sources))
    assert [r.markdown for r in results[:2]] == [EXPECTED, EXPECTED]
    assert isinstance(results[2].error, brindle.NotAnHwpDocumentError)
