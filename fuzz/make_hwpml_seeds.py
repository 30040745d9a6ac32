"""Writes the seeds of the HWPML fuzz target: the fixture writer's seed documents as
HWPML (UTF-8, UTF-16 and CP949, with a document type declaring entities, and with
pictures in base64, deflated and not), cut-down documents of each control, and the
shared HWPML documents when they are there.

    python fuzz/make_hwpml_seeds.py SEEDS_DIR [HML...]
"""

from __future__ import annotations

import pathlib
import shutil
import sys

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "fixtures"))
sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent))

from hwpfixture import Paragraph, Picture  # noqa: E402
from hwpfixture.hwpml import hwpml_text  # noqa: E402
from make_seed_documents import sample_sections  # noqa: E402

PNG = b"\x89PNG\r\n\x1a\n" + bytes(range(40))
DOCTYPE = '<?xml version="1.0" encoding="UTF-8"?><!DOCTYPE HWPML [<!ENTITY nbsp "&#160;"><!ENTITY co "(주)&amp;">]>'


def main(out: pathlib.Path, shared: list[str]) -> None:
    target = out / "hwpml_document"
    target.mkdir(parents=True, exist_ok=True)
    for name, (sections, doc_info) in sample_sections().items():
        text = hwpml_text(sections, doc_info, summary={"title": name, "author": "시드"})
        (target / f"{name}.hml").write_bytes(text.encode("utf-8-sig"))
        (target / f"{name}-utf16.hml").write_bytes(text.replace('"UTF-8"', '"UTF-16"').encode("utf-16"))
        korean = text.replace('encoding="UTF-8"', 'encoding="euc-kr"')
        (target / f"{name}-cp949.hml").write_bytes(korean.encode("cp949", "replace"))
    pictures = [Paragraph("그림", Picture(bin_item=1)), Paragraph(Picture(bin_item=2), "&nbsp;&co;")]
    text = hwpml_text([pictures], pictures=[(1, PNG, True), (2, PNG, False)])
    (target / "pictures.hml").write_bytes(text.encode())
    (target / "doctype.hml").write_bytes(text.replace(text[: text.index("?>") + 2], DOCTYPE, 1).encode())
    (target / "cut-short.hml").write_bytes(text.encode()[: len(text) // 2])
    for path in shared:
        shutil.copy(path, target / pathlib.Path(path).name)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]), sys.argv[2:])
