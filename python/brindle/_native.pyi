import sys

if sys.version_info >= (3, 12):
    from collections.abc import Buffer
else:
    from typing_extensions import Buffer

class Failure(Exception):
    args: tuple[str, str, int]

def convert_path(path: bytes, profile: str, /) -> tuple[str, list[str]]: ...
def convert_buffer(data: Buffer, profile: str, /) -> tuple[str, list[str]]: ...
def parse_path(
    path: bytes, profile: str, image_prefix: str | None, /
) -> tuple[str, list[tuple[str, bytes]], list[tuple[str, str]], str, list[str], list[tuple[str, str, str | None]]]: ...
def parse_buffer(
    data: Buffer, profile: str, image_prefix: str | None, /
) -> tuple[str, list[tuple[str, bytes]], list[tuple[str, str]], str, list[str], list[tuple[str, str, str | None]]]: ...
def records_path(path: bytes, /) -> list[tuple[int, int, int]]: ...
def records_buffer(data: Buffer, /) -> list[tuple[int, int, int]]: ...
