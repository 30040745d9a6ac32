"""Converts each document named on the command line with the installed wheel and prints
what it gives as JSON: digests of both profiles' Markdown and of `_brindle`'s, the parsed
pictures and properties. scripts/wheel.sh runs it in a fresh environment of each Python
version and requires the same output from every one, so that nothing differs between
the wheels but their tags."""

from __future__ import annotations

import hashlib
import json
import os
import sys
from typing import Any


def digest(data: str | bytes) -> str:
    return hashlib.sha256(data.encode() if isinstance(data, str) else data).hexdigest()


def outcome(call: Any) -> str:
    """The digest of what `call` returns, or the error it raises (the same error on
    every version is as good a result as the same Markdown)."""
    try:
        return digest(call())
    except Exception as error:  # the error is the result being compared
        return f"{type(error).__name__}: {error}"


def main(paths: list[str]) -> None:
    import _brindle
    import brindle

    # This environment's copies, not a source tree's.
    for module in (brindle, _brindle):
        file = os.path.realpath(module.__file__ or "")
        if not file.startswith(os.path.realpath(sys.prefix) + os.sep):
            sys.exit(f"{module.__name__} was imported from {file}, outside {sys.prefix}")
    results: dict[str, Any] = {}
    for path in paths:
        with open(path, "rb") as f:
            data = f.read()
        entry: dict[str, Any] = {
            profile: outcome(lambda profile=profile: brindle.convert(path, profile=profile))
            for profile in ("exact", "full")
        }
        entry["bytes"] = outcome(lambda: brindle.convert(memoryview(data)))
        if entry["bytes"] != entry["full"]:
            sys.exit(f"{path}: its bytes convert otherwise than its path")
        if path.endswith(".hwp"):
            entry["_brindle"] = outcome(lambda: _brindle.hwp_to_markdown(path))
        try:
            document = brindle.parse(path)
        except Exception as error:
            entry["parse"] = f"{type(error).__name__}: {error}"
        else:
            entry["parse"] = {
                "markdown": digest(document.markdown),
                "images": {name: digest(content) for name, content in document.images.items()},
                "metadata": {key: str(value) for key, value in document.metadata.items()},
                "format": document.format,
            }
        results[os.path.basename(path)] = entry
    json.dump({"version": brindle.__version__, "documents": results}, sys.stdout, indent=1, sort_keys=True)
    print()


if __name__ == "__main__":
    main(sys.argv[1:])
