"""HWPML documents (the word processor's one-file XML format before HWPX) through
brindle: told by their root element whatever their name or encoding; every element the
HWPX reader reads gives what its HWP and HWPX twins give (the `twins` fixture checks all
three formats wherever the other tests use it); a document type holding more than
simple internal entities, malformed XML and hostile sizes refused with an error of their
kind; and the shared documents converted whole. Documents are written by the fixture
writer (hwpml.py)."""

from __future__ import annotations

import base64
import io
import re
import statistics
import sys
import time
from pathlib import Path

import pytest

import _brindle
import brindle
import hwpfixture as hwp
from brindle.cli import main
from conftest import CORPUS_DIR
from hwpfixture import Paragraph
from hwpfixture.hwpml import hwpml_bytes, hwpml_text

sys.path.insert(0, str(Path(__file__).resolve().parents[2] / "bench"))
import hwpml_recall  # noqa: E402
from test_hwpx import DOCUMENT, EXPECTED  # noqa: E402  (one document, read in every format)

PNG = b"\x89PNG\r\n\x1a\n" + b"\x00\x00\x00\rIHDR" + bytes(range(64))

HWPML_SHARED = sorted((CORPUS_DIR / "hwpml").glob("*.hml"))
needs_shared = pytest.mark.skipif(not HWPML_SHARED, reason="the shared corpus is absent")


def body(*paragraphs: str, head: str = "", prolog: str = '<?xml version="1.0" encoding="UTF-8"?>') -> str:
    """A small HWPML document of raw paragraph markup."""
    return f'{prolog}<HWPML Version="2.8">{head}<BODY><SECTION Id="0">{"".join(paragraphs)}</SECTION></BODY></HWPML>'


def para(text: str) -> str:
    return f'<P ParaShape="0" Style="0"><TEXT CharShape="0"><CHAR>{text}</CHAR></TEXT></P>'


def test_an_hwpml_document_is_told_by_its_content_and_reads_as_its_twins(tmp_path, make_hwp):
    data = hwpml_bytes([DOCUMENT])
    twin = make_hwp([hwp.section(*DOCUMENT)])
    for name in ("문서.hml", "notice.hwp", "law.xml", "export.txt"):
        path = tmp_path / name
        path.write_bytes(data)
        assert brindle.convert(path) == EXPECTED
    assert brindle.convert(data) == brindle.convert(io.BytesIO(data)) == brindle.convert(twin) == EXPECTED
    assert brindle.convert(data, profile="exact") == brindle.convert(twin, profile="exact")
    document = brindle.parse(data)
    assert document.format == "hwpml" and document.markdown == EXPECTED and document.warnings == []
    assert [(h.level, h.text) for h in document.outline] == [(h.level, h.text) for h in brindle.parse(twin).outline]
    with pytest.raises(brindle.NotAnHwpDocumentError, match="HWPML document: it has no binary records"):
        brindle.records(data)
    # _brindle reads HWP 5.0 only, as before.
    with pytest.raises(RuntimeError, match="^Compound file error: not a compound file"):
        _brindle.hwp_to_markdown(str(tmp_path / "notice.hwp"))


@pytest.mark.parametrize("encoding", ["utf-8", "utf-8-sig", "utf-16", "utf-16-be", "utf-16-le"])
def test_each_unicode_encoding_reads_alike(encoding):
    text = hwpml_text([DOCUMENT]).replace(
        'encoding="UTF-8"', 'encoding="UTF-16"' if "16" in encoding else 'encoding="UTF-8"'
    )
    data = text.encode(encoding)
    # utf-16-be and utf-16-le have no byte-order mark: told by the '<' of the first unit.
    assert brindle.convert(data) == EXPECTED


def test_the_legacy_korean_encoding_is_read_by_its_declaration_or_its_bytes():
    text = body(para("가나다 뷁 햏 똠방각하"), prolog='<?xml version="1.0" encoding="euc-kr"?>')
    assert brindle.convert(text.encode("cp949")) == "가나다 뷁 햏 똠방각하"
    for name in ("EUC-KR", "ks_c_5601-1987", "CP949"):
        assert brindle.convert(text.replace("euc-kr", name).encode("cp949")) == "가나다 뷁 햏 똠방각하"
    # Saved as CP949 under a UTF-8 declaration, as old writers did: read as CP949, said.
    mislabelled = brindle.parse(text.replace("euc-kr", "UTF-8").encode("cp949"))
    assert mislabelled.markdown == "가나다 뷁 햏 똠방각하"
    assert mislabelled.warnings == ["the file says it is UTF-8 but is not; it was read as CP949 (EUC-KR)"]
    latin = body(para("café"), prolog='<?xml version="1.0" encoding="ISO-8859-1"?>').encode("latin-1")
    assert brindle.convert(latin) == "café"
    with pytest.raises(brindle.DamagedDocumentError, match="declares the encoding 'shift_jis'"):
        brindle.convert(body(para("x"), prolog='<?xml version="1.0" encoding="Shift_JIS"?>').encode())


def test_simple_entities_of_the_document_type_are_expanded():
    prolog = (
        '<?xml version="1.0" encoding="UTF-8"?>\n<!DOCTYPE HWPML [\n\t<!ENTITY nbsp "&#160;">\n\t<!-- a note -->\n'
        "\t<!ENTITY corp '(주)&amp;&#x3C;회사&gt;'>\n]>\n"
    )
    text = body(
        para("가&nbsp;나"),
        para("&corp; &unknown;"),
        "<P><TEXT><CHAR><![CDATA[&nbsp;]]></CHAR></TEXT></P>",
        prolog=prolog,
    )
    # An undeclared entity and one in a CDATA section stay text, which the full
    # profile escapes so that no Markdown reader takes it for an entity.
    assert brindle.convert(text.encode(), profile="exact") == "가\u00a0나\n\n(주)&<회사> &unknown;\n\n&nbsp;"
    assert brindle.convert(text.encode()) == "가\u00a0나\n\n(주)&<회사> \\&unknown;\n\n\\&nbsp;"


@pytest.mark.parametrize(
    "doctype, message",
    [
        ('<!DOCTYPE HWPML SYSTEM "hwpml.dtd">', "names an external document type"),
        ('<!DOCTYPE HWPML [<!ENTITY x SYSTEM "file:///etc/passwd">]>', "entity 'x' is external"),
        ('<!DOCTYPE HWPML [<!ENTITY % p "x">]>', "parameter entity"),
        ("<!DOCTYPE HWPML [<!ELEMENT HWPML ANY>]>", "declares more than entities"),
        ('<!DOCTYPE HWPML [<!ENTITY a "x"><!ENTITY b "&a;&a;">]>', "entity 'b' refers to entity 'a'"),
        ('<!DOCTYPE HWPML [<!ENTITY a "<P/>">]>', "holds '<'"),
        ('<!DOCTYPE HWPML [<!ENTITY a "x"]>', "entity 'a' is not closed"),
        ("<!DOCTYPE HWPML [" + "".join(f'<!ENTITY e{k} "x">' for k in range(65)) + "]>", "more than 64 entities"),
        ('<!DOCTYPE HWPML [<!ENTITY a "' + "x" * 1025 + '">]>', "longer than 1024 bytes"),
    ],
)
def test_a_document_type_holding_more_than_simple_entities_is_refused(doctype, message):
    data = body(para("&a;"), prolog='<?xml version="1.0"?>' + doctype).encode()
    with pytest.raises(brindle.DamagedDocumentError, match=message) as info:
        brindle.convert(data)
    assert str(info.value).startswith("HWPML document error: ")


def test_entities_that_would_explode_are_bounded():
    # A thousand references to a value of 1 KiB: expanded once each, a megabyte in all.
    value = "가" * 300
    text = body(para("&big;" * 1000), prolog=f'<!DOCTYPE HWPML [<!ENTITY big "{value}">]>')
    start = time.perf_counter()
    assert brindle.convert(text.encode()) == value * 1000
    assert time.perf_counter() - start < 5


def test_malformed_xml_is_a_damaged_document_with_its_line_and_column():
    text = body(
        para("가"), para("나</TEXT>"), prolog='<?xml version="1.0"?>\n<!DOCTYPE HWPML [<!ENTITY nbsp "&#160;">]>\n'
    )
    text = text.replace("<BODY>", "\n<BODY>").replace(para("나</TEXT>"), "\n  &nbsp;" + para("나</TEXT>"))
    with pytest.raises(brindle.DamagedDocumentError) as info:
        brindle.convert(text.encode())
    # The position in the file as saved, before the entity was expanded.
    line = text.splitlines()
    bad_line = next(k for k, text in enumerate(line, 1) if "나</TEXT>" in text)
    assert re.search(rf"at line {bad_line}, column \d+\)$", str(info.value)), str(info.value)
    with pytest.raises(brindle.DamagedDocumentError, match=r"at line 1, column 19\)"):
        brindle.convert("<HWPML><BODY><가></BODY></HWPML>".encode())


@pytest.mark.parametrize("profile", ["full", "exact"])
def test_a_file_cut_short_keeps_the_text_before_the_break_and_says_so(profile):
    data = body(para("첫 문단"), para("둘째 문단"), para("셋째 문단")).encode()
    cut = data[: data.index("셋째".encode()) + 3]
    document = brindle.parse(cut, profile=profile)
    assert document.markdown.startswith("첫 문단\n\n둘째 문단")
    assert len(document.warnings) == 1 and document.warnings[0].startswith(
        "the document is cut short at line 1, column"
    )


def test_other_markup_is_named_for_what_it_is():
    with pytest.raises(brindle.NotAnHwpDocumentError, match="whose root element is <rss>"):
        brindle.convert(b'<?xml version="1.0"?><rss/>')
    with pytest.raises(brindle.NotAnHwpDocumentError, match="an HTML page"):
        brindle.convert(b"<!DOCTYPE html><html><body>x</body></html>")


def test_an_element_with_too_many_attributes_is_refused():
    attributes = " ".join(f'a{k}="1"' for k in range(1025))
    with pytest.raises(brindle.DamagedDocumentError, match="more than 1024 attributes"):
        brindle.convert(body(f"<P {attributes}><TEXT><CHAR>x</CHAR></TEXT></P>").encode())
    attributes = " ".join(f'a{k}="1"' for k in range(1024))
    assert brindle.convert(body(f"<P {attributes}><TEXT><CHAR>x</CHAR></TEXT></P>").encode()) == "x"


def test_deep_nesting_is_read_in_bounded_depth():
    depth = 100_000
    data = body("<P><TEXT>" + "<X>" * depth + "</X>" * depth + "<CHAR>끝</CHAR></TEXT></P>").encode()
    start = time.perf_counter()
    assert brindle.convert(data) == "끝"
    assert time.perf_counter() - start < 5


def test_pictures_are_decoded_from_base64_and_inflated_when_compressed(tmp_path):
    paragraphs = [
        Paragraph("그림", hwp.Picture(bin_item=1)),
        Paragraph(hwp.Picture(bin_item=2)),
        Paragraph(hwp.Picture(bin_item=3)),
        Paragraph(hwp.Picture(bin_item=1)),
    ]
    other = PNG + b"other"
    data = hwpml_bytes(
        [paragraphs],
        pictures=[(1, PNG, True), (2, other, False)],
        bin_items=[("Embedding", 1, "png"), ("Embedding", 2, "png"), ("Link", 0, "C:\\그림\\a.png")],
    )
    document = brindle.parse(data, image_prefix="img/")
    assert document.images == {"BIN0001.png": PNG, "BIN0002.png": other}
    assert document.markdown.count("](img/BIN0001.png)") == 2 and "](img/BIN0002.png)" in document.markdown
    assert "C:\\\\그림\\\\a.png" in document.markdown or "C:\\그림\\a.png" in document.markdown


def test_pictures_that_cannot_be_decoded_keep_their_placeholders():
    paragraphs = [Paragraph(hwp.Picture(bin_item=1))]
    text = hwpml_text([paragraphs], pictures=[(1, PNG, True)])
    for damaged in (
        re.sub(r'(Id="1"[^>]*>)[^<]+', r"\1!!not base64!!", text),
        re.sub(r'(Id="1"[^>]*>)[^<]+', r"\1" + base64.b64encode(b"not deflate").decode(), text),
        text.replace('BinItem="1"', 'BinItem="7"'),
    ):
        document = brindle.parse(damaged.encode(), image_prefix="img/")
        assert document.images == {} and document.markdown == brindle.parse(damaged.encode()).markdown


def test_the_summary_is_the_metadata():
    data = hwpml_bytes(
        [["본문"]], summary={"title": "공고문", "author": "총무과", "subject": "입찰", "date": "아무 때"}
    )
    assert brindle.parse(data).metadata == {"title": "공고문", "author": "총무과", "subject": "입찰"}


def test_the_command_line_and_the_loaders_take_hml_files(tmp_path, make_hwp):
    docs = tmp_path / "docs"
    docs.mkdir()
    (docs / "a.HML").write_bytes(hwpml_bytes([DOCUMENT]))
    hwp.write_hwp(docs / "b.hwp", [hwp.section(*DOCUMENT)])
    (docs / "b.hml").write_bytes(hwpml_bytes([DOCUMENT]))  # the same document in both formats
    out = tmp_path / "out"
    assert main(["convert", str(docs), "-o", str(out), "-q"]) == 0
    assert sorted(p.name for p in out.iterdir()) == ["a.md", "b.hml.md", "b.md"]
    assert {p.read_text() for p in out.iterdir()} == {EXPECTED}
    from brindle._walk import walk_documents

    assert [Path(p).name for p, _ in walk_documents(str(docs))] == ["a.HML", "b.hml", "b.hwp"]
    from brindle.integrations.markitdown import is_hwp_content

    assert is_hwp_content(io.BytesIO(hwpml_bytes([DOCUMENT])))
    assert is_hwp_content(io.BytesIO(hwpml_text([DOCUMENT]).encode("utf-16")))
    assert not is_hwp_content(io.BytesIO(b'<?xml version="1.0"?><rss/>'))


@needs_shared
def test_every_shared_hwpml_document_converts_with_its_own_text():
    scores = []
    for path in HWPML_SHARED:
        own = hwpml_recall.own_text(path)
        document = brindle.parse(path)
        assert document.format == "hwpml"
        brindle.convert(path, profile="exact")
        scores.append(hwpml_recall.recall(own, hwpml_recall.unescaped(document.markdown)))
    assert min(scores) >= 0.99, min(scores)
    assert statistics.median(scores) == 1.0


@needs_shared
def test_the_shared_documents_hold_what_their_markup_holds():
    by_name = {p.name[:8]: p for p in HWPML_SHARED}
    # Notes, equations as LaTeX, a click-here field, a header, the summary.
    exam = brindle.parse(by_name["bc76c3a0"])
    assert "[^e1]:" in exam.markdown and r"$x-\frac{1}{x}=1$" in exam.markdown
    form = brindle.parse(by_name["b5dd1113"])
    assert [f.name for f in form.fields] == ["본문"] and form.metadata["title"] == "본문을 입력하십시오"
    assert "> 머리말: 전산회계운용사 2급" in brindle.convert(by_name["05946188"])
    cp949 = brindle.parse(by_name["1fb7a541"])
    assert cp949.markdown.startswith("# 법률자문 요청서") and "CP949" in cp949.warnings[0]
