"""brindle.parse over every document of ../shared/corpus (HWP 5.0, the HWPX twins and
the real HWPX documents): each parses as it converts, its Markdown is the conversion's
with each picture linked in place of its placeholder, every link names one of its
files and every file is linked; the named samples show their pictures. Skipped when
the corpus is not beside the repository."""

from __future__ import annotations

import datetime
import re

import pytest

import brindle
from conftest import CORPUS_DIR, corpus_documents

HWPX = CORPUS_DIR / "hwpx"
DOCUMENTS = corpus_documents() + sorted(HWPX.glob("*/*.hwpx")) + sorted(HWPX.glob("twins/*/*.hwpx"))
LINK = re.compile(r"!\[((?:\\.|[^\]\\])*)\]\(images/([A-Za-z0-9._-]+)\)")

pytestmark = pytest.mark.skipif(not DOCUMENTS, reason="the corpus is not beside the repository")


def as_placeholders(markdown: str) -> str:
    """The Markdown with each picture link turned back into convert()'s placeholder."""

    def placeholder(match: re.Match[str]) -> str:
        caption = re.sub(r"\\([\[\]])", r"\1", match.group(1))
        return f"[이미지: {caption}]" if caption else "[이미지]"

    return LINK.sub(placeholder, markdown)


def test_every_document_parses_as_it_converts():
    parsed = with_images = with_metadata = 0
    for path in DOCUMENTS:
        try:
            expected = brindle.convert(path)
        except brindle.DocumentError as error:
            with pytest.raises(type(error)):
                brindle.parse(path)
            continue
        document = brindle.parse(path)
        parsed += 1
        assert document.format == ("hwpx" if path.suffix == ".hwpx" else "hwp"), path
        # Linked pictures show their path where convert() shows the bare placeholder.
        unlinked = re.sub(r"\[이미지: [^\]\n]*\]", "[이미지]", as_placeholders(document.markdown))
        assert unlinked == re.sub(r"\[이미지: [^\]\n]*\]", "[이미지]", expected), path
        linked = {m.group(2) for m in LINK.finditer(document.markdown)}
        assert linked == set(document.images), path
        assert all(data for data in document.images.values()), path
        for key, value in document.metadata.items():
            assert isinstance(value, datetime.datetime if key in ("created", "modified") else str), (path, key)
        with_images += bool(document.images)
        with_metadata += bool(document.metadata)
        assert brindle.parse(path, profile="exact").markdown == brindle.convert(path, profile="exact"), path
    # Most documents keep their properties; dozens hold pictures.
    assert with_metadata > parsed * 0.9 and with_images > 40, (parsed, with_images, with_metadata)


@pytest.mark.parametrize(
    "name, images",
    [
        ("sample-5017.hwp", {"BIN0002.jpg", "BIN0003.png"}),
        ("sample-5017-pics.hwp", {"BIN000B.jpg", "BIN000C.jpg"}),
        ("shapepict-scaled.hwp", {"BIN0002.jpg"}),
        ("changing-image.hwp", {"BIN0002.png"}),
        # Holds no picture: the table cell a picture is to be put in is empty.
        ("inserting_image_cell.hwp", set()),
    ],
)
def test_named_samples_show_their_pictures(name, images):
    path = CORPUS_DIR / "samples" / name
    if not path.is_file():
        pytest.skip(f"{name} is not in the corpus")
    document = brindle.parse(path)
    assert set(document.images) == images
    assert {m.group(2) for m in LINK.finditer(document.markdown)} == images
    twin = HWPX / "twins" / "samples" / (path.stem + ".hwpx")
    if twin.is_file():
        assert len(brindle.parse(twin).images) == len(images)
