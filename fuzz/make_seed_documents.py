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
    ClickHere,
    Equation,
    Paragraph,
    Picture,
    Table,
    TextBox,
    build_sample_document,
    section,
    write_hwp,
)
from hwpfixture.hostile import hostile_containers  # noqa: E402


def main(out: pathlib.Path) -> None:
    out.mkdir(parents=True, exist_ok=True)
    sample = build_sample_document()
    write_hwp(out / "sample.hwp", sample)
    write_hwp(out / "sample-stored.hwp", sample, compressed=False)
    nested = Table([["e"]])
    for text in "dcba":  # five levels of tables, one inside a cell of the next
        nested = Table([[text, [Paragraph(text, nested)]]])
    write_hwp(out / "nested-tables.hwp", [section(Paragraph("x", nested))], compressed=False)
    write_hwp(
        out / "fields.hwp",
        [section(Paragraph("이름: ", ClickHere("name", "입력", "Kim"), " / ", ClickHere("", "", "")))],
        compressed=False,
    )
    write_hwp(
        out / "objects.hwp",
        [section(Paragraph(Equation("x^2"), Picture(caption=["cap"]), TextBox(["t1", "t2"])))],
        compressed=False,
    )
    for name, data in hostile_containers(lambda full: max(8, full // 2000)).items():
        (out / f"{name}.hwp").write_bytes(data)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]))
