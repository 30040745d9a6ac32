"""brindle: HWP word-processor documents (HWP 5.0, HWPX and HWPML) to Markdown.

    import brindle
    markdown = brindle.convert("report.hwp")            # a path, bytes or a file object
    document = brindle.parse("report.hwpx")             # .markdown, .images, .metadata, .outline
    for chunk in document.chunks(max_chars=2000):       # pieces cut at headings, then blocks
        print(chunk.headings, chunk.pages, len(chunk.text))
    for result in brindle.convert_many(paths):          # on a pool of threads
        print(result.source, result.ok, result.seconds)

The work runs in native code with the interpreter lock released. Documents that
cannot be read raise a DocumentError subclass, or the OSError open() would raise.
"""

from __future__ import annotations

from importlib import metadata as _metadata

from ._api import Profile, Source, convert, records
from ._batch import ConversionResult, convert_many
from ._document import Chunk, Document, FormField, Heading, Metadata, parse
from ._errors import (
    DamagedDocumentError,
    DistributionProtectedError,
    DocumentError,
    NotACompoundFileError,
    NotAnHwpDocumentError,
    PasswordProtectedError,
)

try:
    __version__ = _metadata.version("brindle")
except _metadata.PackageNotFoundError:  # imported from a build tree
    __version__ = "0+unknown"

__all__ = [
    "Chunk",
    "ConversionResult",
    "DamagedDocumentError",
    "DistributionProtectedError",
    "Document",
    "DocumentError",
    "FormField",
    "Heading",
    "Metadata",
    "NotACompoundFileError",
    "NotAnHwpDocumentError",
    "PasswordProtectedError",
    "Profile",
    "Source",
    "convert",
    "convert_many",
    "parse",
    "records",
    "__version__",
]
