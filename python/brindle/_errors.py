"""The exceptions of brindle: one base class for documents that cannot be read, a
subclass per cause, and the mapping from the native core's failures to them (or to
the OSError that open() would raise)."""

from __future__ import annotations

import errno
import os

from . import _native

__all__ = [
    "DocumentError",
    "NotACompoundFileError",
    "NotAnHwpDocumentError",
    "PasswordProtectedError",
    "DistributionProtectedError",
    "DamagedDocumentError",
]


class DocumentError(RuntimeError):
    """A document that cannot be converted. ``str(error)`` is, for an HWP 5.0 file,
    the message that ``_brindle`` raises for the same file (``_brindle`` reads no
    HWPX); ``filename`` is the path converted, or None for a document given as bytes
    or a file object.

    A subclass of RuntimeError, the exception ``_brindle`` raises, so that code
    written for it keeps working."""

    def __init__(self, message: str, filename: str | os.PathLike[str] | None = None) -> None:
        super().__init__(message)
        self.message = message
        self.filename = filename


class NotACompoundFileError(DocumentError):
    """The input is neither a compound file nor a ZIP archive (an empty file, a text
    file, ...)."""


class NotAnHwpDocumentError(DocumentError):
    """A container that holds no HWP document: a compound file without an HWP 5.0
    FileHeader or signature (a .doc, .xls), or a ZIP archive that is no HWPX package
    (a .docx, a plain archive). Also raised by `records` for an HWPX document, which
    has no binary records."""


class PasswordProtectedError(DocumentError):
    """The document is encrypted with a password (an HWP 5.0 file, or an HWPX package
    whose manifest marks its parts as encrypted)."""


class DistributionProtectedError(DocumentError):
    """A document saved for distribution: its text is encrypted for viewing in the
    word processor only, and what it holds in the clear is a notice asking for a newer
    viewer, not its content. Raised by the full profile, so that a notice is never
    passed off as the document; the exact profile converts the notice, as ``_brindle``
    does. Such a document is not decrypted: open it in the word processor."""


class DamagedDocumentError(DocumentError):
    """An HWP document whose container (compound file or ZIP package) or header is
    damaged or truncated."""


_BY_CAUSE: dict[str, type[DocumentError]] = {
    "not-a-compound-file": NotACompoundFileError,
    "not-an-hwp-document": NotAnHwpDocumentError,
    "password-protected": PasswordProtectedError,
    "distribution-protected": DistributionProtectedError,
    "damaged": DamagedDocumentError,
}


def from_failure(failure: _native.Failure, filename: str | os.PathLike[str] | None) -> Exception:
    """The exception to raise for a failure of the native core."""
    cause, message, code = failure.args
    if cause == "system" and code:
        return OSError(code, os.strerror(code), filename)
    if cause == "not-a-regular-file":  # a device, pipe or socket: refused, never read
        return OSError(errno.EINVAL, f"{os.strerror(errno.EINVAL)}: not a regular file", filename)
    return _BY_CAUSE.get(cause, DamagedDocumentError)(message, filename)
