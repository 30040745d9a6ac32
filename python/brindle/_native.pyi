import sys

if sys.version_info >= (3, 12):
    from collections.abc import Buffer
else:
    from typing_extensions import Buffer

class Failure(Exception):
    args: tuple[str, str, int]

# (markdown, [(name, bytes)], [(key, value)], format, [warning], [(name, guide, value)],
#  [(level, text, index)], [(page, index)]): indices are of the str, not its bytes.
Parsed = tuple[
    str,
    list[tuple[str, bytes]],
    list[tuple[str, str]],
    str,
    list[str],
    list[tuple[str, str, str | None]],
    list[tuple[int, str, int]],
    list[tuple[int, int]],
]

def convert_path(path: bytes, profile: str, /) -> tuple[str, list[str]]: ...
def convert_buffer(data: Buffer, profile: str, /) -> tuple[str, list[str]]: ...
def parse_path(path: bytes, profile: str, image_prefix: str | None, page_markers: bool, /) -> Parsed: ...
def parse_buffer(data: Buffer, profile: str, image_prefix: str | None, page_markers: bool, /) -> Parsed: ...
def records_path(path: bytes, /) -> list[tuple[int, int, int]]: ...
def records_buffer(data: Buffer, /) -> list[tuple[int, int, int]]: ...
