"""What the module gives for every corpus document, as a digest per document: the
SHA-256 of the Markdown and of the record listing, or the kind of error raised. The
checked-in table (tests/data/corpus_digests.tsv) pins the output of the real
documents, which never enter the repository, so that any change of the machinery
under the conversion can be checked against it.

    python tests/python/corpus_digests.py > tests/data/corpus_digests.tsv
"""

from __future__ import annotations

import hashlib
import sys
from pathlib import Path

TABLE = Path(__file__).resolve().parents[1] / "data" / "corpus_digests.tsv"

# An error is pinned by its kind (the message's prefix) and, except for the
# container's own descriptions, by its whole message.
KINDS = {
    "IO error: ": "Io",
    "Compound file error: ": "CompoundFile",
    "Invalid HWP signature": "InvalidSignature",
    "Parse error: ": "Parse",
    "Password-protected HWP files are not supported": "PasswordProtected",
}


def outcome(fn, path: str) -> str:
    """'ok <sha256>' of the result, or 'error <Kind> <message>'."""
    try:
        result = fn(path)
    except RuntimeError as error:
        message = error.args[0]
        kind = next(k for prefix, k in KINDS.items() if message.startswith(prefix))
        return f"error {kind} {message}"
    except MemoryError as error:
        return f"error Memory {error}"
    data = result.encode() if isinstance(result, str) else repr(result).encode()
    return "ok " + hashlib.sha256(data).hexdigest()


def same_outcome(recorded: str, now: str) -> bool:
    """Equal, except that a compound-file error needs only the same kind."""
    if recorded.startswith("error CompoundFile ") and now.startswith("error CompoundFile "):
        return True
    return recorded == now


def read_table() -> dict[str, tuple[str, str]]:
    rows = {}
    for line in TABLE.read_text(encoding="utf-8").splitlines():
        if line and not line.startswith("#"):
            name, markdown, records = line.split("\t")
            rows[name] = (markdown, records)
    return rows


def main() -> int:
    sys.path.insert(0, str(Path(__file__).resolve().parent))
    import _brindle
    from conftest import CORPUS_DIR, corpus_documents

    print("# document\thwp_to_markdown\thwp_debug_records")
    for path in corpus_documents():
        name = path.relative_to(CORPUS_DIR).as_posix()
        print(
            f"{name}\t{outcome(_brindle.hwp_to_markdown, str(path))}\t{outcome(_brindle.hwp_debug_records, str(path))}"
        )
    return 0


if __name__ == "__main__":
    sys.exit(main())
