"""Writes the fixture documents that seed the fuzz targets: the sample
document compressed and stored, a few smaller shapes of the format, and
small containers of version 4 or with damaged tables and links.

    python fuzz/make_seed_documents.py OUT_DIR
"""

from __future__ import annotations

import pathlib
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "fixtures"))

from hwpfixture import (  # noqa: E402
    TAB,
    AutoNumber,
    Cell,
    ClickHere,
    DocInfo,
    Endnote,
    Equation,
    Footnote,
    Group,
    Header,
    Hyperlink,
    Numbering,
    Paragraph,
    ParaShape,
    Picture,
    SectionDefinition,
    Table,
    TextBox,
    build_sample_document,
    sample_doc_info,
    sample_paragraphs,
    section,
    write_hwp,
)
from hwpfixture.hostile import hostile_containers  # noqa: E402

# What the full profile reads: numbering, bullets and outline heads in DocInfo,
# notes, headers, links, captions and merged cells.
heads = DocInfo(
    numberings=[Numbering(), Numbering(["^1)", "^1.^2"], ["ROMAN", 8], level_starts=[3] * 7)],
    bullets=["●"],
    para_shapes=[
        ParaShape(),
        ParaShape("number", 0, 2),
        ParaShape("number", 1, 2),
        ParaShape("bullet", bullet=1),
        ParaShape("outline", 1),
    ],
)


def sample_sections() -> dict[str, tuple[list[list], DocInfo | None]]:
    """Seed documents as paragraphs, for the HWP and the HWPX writer alike."""
    nested = Table([["e"]])
    for text in "dcba":  # five levels of tables, one inside a cell of the next
        nested = Table([[text, [Paragraph(text, nested)]]])
    merged = Table(
        [[Cell("a", 0, 0, col_span=2), "b"], [Cell("c", 0, 1, row_span=2)]],
        columns=3,
        caption=[Paragraph("표 ", AutoNumber(1))],
        caption_side="top",
    )
    full = [
        Paragraph(SectionDefinition(), Header(["머리"]), ClickHere("n", "d", "x", modified=True)),
        Paragraph("# 1", TAB, "*a*", Footnote(["f"]), Endnote(["e"]), Hyperlink("link", "http://x/")),
        Paragraph("one", shape=1),
        Paragraph("two", shape=2),
        Paragraph("dot", shape=3),
        Paragraph("h", shape=4),
        Paragraph(merged),
    ]
    return {
        "sample": (sample_paragraphs(), sample_doc_info()),
        "nested-tables": ([[Paragraph("x", nested)]], None),
        "fields": ([[Paragraph("이름: ", ClickHere("name", "입력", "Kim"), " / ", ClickHere("", "", ""))]], None),
        "objects": (
            [
                [
                    Paragraph(
                        Equation("x^2"),
                        Picture(caption=["cap"]),
                        TextBox(["t1", "t2"]),
                        Group([TextBox(["g"]), Picture()]),
                    )
                ]
            ],
            None,
        ),
        "full-profile": ([full], heads),
    }


def main(out: pathlib.Path) -> None:
    out.mkdir(parents=True, exist_ok=True)
    sample = build_sample_document()
    write_hwp(out / "sample.hwp", sample)
    write_hwp(out / "sample-stored.hwp", sample, compressed=False)
    for name, (sections, info) in sample_sections().items():
        write_hwp(
            out / f"{name}.hwp", [section(*paragraphs) for paragraphs in sections], doc_info=info, compressed=False
        )
    for name, data in hostile_containers(lambda full: max(8, full // 2000)).items():
        (out / f"{name}.hwp").write_bytes(data)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]))
