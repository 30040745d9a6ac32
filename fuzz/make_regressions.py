"""Re-creates, with the fixture writer, the inputs that once made a fuzz target
fail; fuzz.sh replays them (fuzz/regressions/<target>/) before fuzzing.

    python fuzz/make_regressions.py      # rewrites fuzz/regressions
"""

from __future__ import annotations

import pathlib
import sys

HERE = pathlib.Path(__file__).resolve().parent
sys.path.insert(0, str(HERE.parent / "tests" / "fixtures"))

import struct  # noqa: E402

from hwpfixture import (  # noqa: E402
    ClickHere,
    Equation,
    Hyperlink,
    Paragraph,
    compound_file_bytes,
    hwp_streams,
    owpml,
    relink_directory_entry,
    section,
)

# Entries as the writer numbers them: root 0, BodyText 1, DocInfo 2, FileHeader 3.
ROOT, BODY_TEXT, FILE_HEADER = 0, 1, 3


def regressions() -> dict[str, dict[str, bytes]]:
    intact = compound_file_bytes(hwp_streams([section("a")]))
    return {
        "document": {
            # A directory link that reaches an entry a second time (once
            # leaked memory in the container reader of the time): the
            # container must be answered with an error or read as far as it goes.
            "root-links-to-a-child.hwp": relink_directory_entry(intact, ROOT, "left", BODY_TEXT),
            "stream-links-back-to-root.hwp": relink_directory_entry(intact, FILE_HEADER, "right", ROOT),
        },
        "hwpx_walk": {
            # Bytes that are not UTF-8, and character references to surrogates,
            # in a link's command, a field's name and an equation's script (once
            # reached the Markdown as they were).
            "ill-formed-text.bin": ill_formed_text(),
        },
    }


def ill_formed_text() -> bytes:
    parts = owpml.package_parts(
        [[Paragraph(Hyperlink("daum", "www.daum.net"), ClickHere("name", "guide", "x")), Paragraph(Equation("a+b"))]]
    )
    header, body = parts["Contents/header.xml"], parts["Contents/section0.xml"]
    body = body.replace(b"www.daum.net", b"w\xf7w.daum.net").replace(b'name="name"', b'name="n\xc2"')
    body = body.replace(b"a+b", b"a&#xD800;+\xffb")
    return struct.pack("<I", len(header)) + header + body


def main() -> None:
    for target, inputs in regressions().items():
        folder = HERE / "regressions" / target
        folder.mkdir(parents=True, exist_ok=True)
        for name, data in inputs.items():
            (folder / name).write_bytes(data)


if __name__ == "__main__":
    main()
