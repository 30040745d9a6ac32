"""Writes the seeds of the HWPX fuzz targets: packages (the fixture writer's, in both
namespace generations, ZIP64 and stored, and those of the corpus when it is there) for
the ZIP reader and the whole-document target, and [u32 length][header][section] inputs
cut from them for the OWPML walk.

    python fuzz/make_hwpx_seeds.py SEEDS_DIR [PACKAGE...]
"""

from __future__ import annotations

import pathlib
import struct
import sys
import zipfile

sys.path.insert(0, str(pathlib.Path(__file__).resolve().parent.parent / "tests" / "fixtures"))

from hwpfixture import owpml  # noqa: E402
from hwpfixture.zipwriter import entries_of, zip_archive  # noqa: E402
from make_seed_documents import heads, sample_sections  # noqa: E402


def main(out: pathlib.Path, corpus: list[str]) -> None:
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
