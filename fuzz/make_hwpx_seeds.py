"""Writes the seeds of the HWPX fuzz targets: packages (the fixture writer's, in both
namespace generations, ZIP64 and stored, and those of the corpus when it is there) for
the ZIP reader and the whole-document target, and [u32 length][header][section] inputs
cut from them for the OWPML walk.

Also the equation converter's seeds (scripts of every construct) and the property-set
reader's (summary-information streams and dates).

    python fuzz/make_hwpx_seeds.py SEEDS_DIR [PACKAGE...]
"""

from __future__ import annotations

import pathlib
import struct
import sys
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "fixtures"))

import datetime  # noqa: E402

from hwpfixture import owpml  # noqa: E402
from hwpfixture.properties import summary_information  # noqa: E402
from hwpfixture.zipwriter import entries_of, zip_archive  # noqa: E402
from make_seed_documents import sample_sections  # noqa: E402

EQUATIONS = [
    "x = {-b +- sqrt {b^2 - 4ac}} over {2a}",
    "sum from {i=1} to n i^2",
    "int _0 ^1 f(x) dx",
    "lim from {x -> 0} {sin x} over x",
    "left ( a over b right )",
    "root 3 of {x+1}",
    "matrix{a & b # c & d}",
    "cases{x & x>=0 # -x & x<0}",
    "eqalign{a &= b # c &= d}",
    "lpile{a # b}",
    "hat a + vec AB + bar x",
    "ALPHA alpha SIGMA sigma",
    "rm abc it x bold y",
    '"text" ~ a ` b',
    "C lsub 6 lsup 14",
    "a atop b",
    "overbrace {a+b} {n}",
    "color {red} x",
    "x^2^3 _1 _2",
    "넓이 = pi r^2",
    "LARROW <= != == ->",
]


def main(out: pathlib.Path, corpus: list[str]) -> None:
    (out / "equation").mkdir(parents=True, exist_ok=True)
    for k, script in enumerate(EQUATIONS):
        (out / "equation" / f"script{k}.txt").write_text(script, encoding="utf-8")
    (out / "properties").mkdir(parents=True, exist_ok=True)
    moment = datetime.datetime(2024, 3, 5, 9, 30, tzinfo=datetime.timezone.utc)
    streams = {
        "all": summary_information(
            title="제목",
            subject="주제",
            author="지은이",
            keywords="k",
            comments="c",
            last_saved_by="me",
            created=moment,
            modified=moment,
        ),
        "code-page": summary_information(code_page=65001, title="제목".encode(), author=b"ascii"),
        "dates": b"2025-09-17T04:32:50Z",
        "written-out": b"Fri Jul 02 03:36:13 UTC 2010",
    }
    for name, data in streams.items():
        (out / "properties" / f"{name}.bin").write_bytes(data)
    packages: dict[str, bytes] = {}
    for name, (sections, info) in sample_sections().items():
        parts = owpml.package_parts(sections, info)
        packages[name] = zip_archive(entries_of(parts))
        packages[name + "-zip64"] = zip_archive(entries_of(parts), zip64=True)
        packages[name + "-2024"] = owpml.hwpx_bytes(sections, info, uris=owpml.URIS_2024, prefixes={"hp": ""})
    for path in corpus:
        data = pathlib.Path(path).read_bytes()
        if len(data) <= 1 << 20:
            packages[pathlib.Path(path).stem] = data
    for target in ("zip", "hwpx_document"):
        (out / target).mkdir(parents=True, exist_ok=True)
        for name, data in packages.items():
            (out / target / f"{name}.hwpx").write_bytes(data)
    walk = out / "hwpx_walk"
    walk.mkdir(parents=True, exist_ok=True)
    for name, data in packages.items():
        try:
            with zipfile.ZipFile(__import__("io").BytesIO(data)) as archive:
                header = archive.read("Contents/header.xml")
                section = archive.read("Contents/section0.xml")
        except Exception:
            continue
        if len(header) + len(section) <= 1 << 20:
            (walk / f"{name}.bin").write_bytes(struct.pack("<I", len(header)) + header + section)


if __name__ == "__main__":
    main(pathlib.Path(sys.argv[1]), sys.argv[2:])
