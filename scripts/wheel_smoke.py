"""Converts each document named on the command line with the installed wheel and prints
what it gives as JSON: digests of both profiles' Markdown and of `_brindle`'s, the parsed
pictures and properties. scripts/wheel.sh runs it in a fresh environment of each Python
version and architecture and requires the same output from every one, so that nothing
differs between the wheels but their tags. The abi3 wheel has no `_brindle`: its
results are compared without `_brindle`'s.

    wheel_smoke.py DOCUMENT... > results.json
    wheel_smoke.py --compare REFERENCE.json OTHER.json
"""

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
    import brindle

    try:
        import _brindle
    except ImportError:  # the abi3 wheel
        _brindle = None
    # This environment's copies, not a source tree's.
    for module in (brindle, _brindle) if _brindle else (brindle,):
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
        if _brindle and path.endswith(".hwp"):
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
    json.dump(
        {"version": brindle.__version__, "compat": _brindle is not None, "documents": results},
        sys.stdout,
        indent=1,
        sort_keys=True,
    )
    print()


def without_compat(results: dict[str, Any]) -> dict[str, Any]:
    for entry in results["documents"].values():
        entry.pop("_brindle", None)
    return results


def compare(reference: str, other: str) -> int:
    """0 when both give the same; else the differences on stderr and 1."""
    with open(reference) as a, open(other) as b:
        expected, got = json.load(a), json.load(b)
    if not (expected["compat"] and got["compat"]):
        expected, got = without_compat(expected), without_compat(got)
    if expected["version"] != got["version"]:
        print(f"version {expected['version']} != {got['version']}", file=sys.stderr)
        return 1
    if expected["documents"] == got["documents"]:
        return 0
    for name in sorted(expected["documents"].keys() | got["documents"].keys()):
        if expected["documents"].get(name) != got["documents"].get(name):
            print(f"{name}: {expected['documents'].get(name)} != {got['documents'].get(name)}", file=sys.stderr)
    return 1


if __name__ == "__main__":
    if sys.argv[1:2] == ["--compare"] and len(sys.argv) == 4:
        sys.exit(compare(sys.argv[2], sys.argv[3]))
    main(sys.argv[1:])
