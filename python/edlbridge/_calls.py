"""What the calls into edlconvert share: file names as bytes, the host's side of a call (its
output and its warnings), and failures as the module's errors."""

import ctypes
import os
import warnings
from typing import BinaryIO, List, Optional

from . import _records as rec
from ._errors import (
    EdlError,
    EdlWarning,
    NotAListError,
    OpenError,
    PathLike,
    ReadError,
    WriteError,
)
from ._library import converter


def file_name(path: PathLike) -> bytes:
    """A path as the library takes it; ValueError for one with a NUL, as os functions do."""
    name = os.fsencode(path)
    if b"\0" in name:
        raise ValueError(f"{os.fsdecode(name)!r}: embedded null byte")
    return name


def decoded(data: bytes) -> str:
    return data.decode("utf-8", "surrogateescape")


def failure(status: rec.edlcStatus, path: PathLike, *, other: Optional[PathLike] = None,
            output: Optional[PathLike] = None) -> EdlError:
    """The error of a failed call: of the file the status names, with its message."""
    reason = decoded(status.message)
    named = {rec.EDLC_AT_OTHER: other, rec.EDLC_AT_OUTPUT: output}.get(status.which)
    where = named if named is not None else path
    code = status.code
    kind = EdlError
    if code == rec.EDLC_E_OPEN:
        # One code for both: a file the system will not give ("cannot open: ...", "cannot
        # read: ...") and one that is no list or timeline.
        kind = OpenError if reason.startswith("cannot ") else NotAListError
    elif code == rec.EDLC_E_READ:
        kind = ReadError
    elif code in (rec.EDLC_E_WRITE, rec.EDLC_E_OUTPUT, rec.EDLC_E_REFUSED):
        kind = WriteError
    return kind(where, reason)


class Host:
    """The host's side of one call: where texts go (collected, or into a binary stream),
    the warnings given, and an exception raised while taking a text, kept until the call
    returns (ctypes cannot carry it through the library)."""

    def __init__(self, stream: Optional[BinaryIO] = None) -> None:
        self.stream = stream
        self.pieces: List[bytes] = []
        self.warnings: List[str] = []
        self.error: Optional[BaseException] = None
        # Kept here: the library calls them until the call returns.
        self._write = rec.edlcWriteFn(self._take)
        self._warn = rec.edlcWarnFn(self._warning)

    def options(self, **fields: object) -> rec.edlcOptions:
        options = rec.edlcOptions()
        converter().edlcInitOptions(ctypes.byref(options))
        options.write = self._write
        options.warn = self._warn
        for name, value in fields.items():
            setattr(options, name, value)
        return options

    def _take(self, _context: Optional[int], data: Optional[int], size: int) -> int:
        try:
            piece = ctypes.string_at(data, size) if size and data is not None else b""
            if self.stream is not None:
                self.stream.write(piece)
            else:
                self.pieces.append(piece)
            return 0
        except BaseException as error:
            self.error = error
            return 1

    def _warning(self, _context: Optional[int], message: Optional[bytes]) -> None:
        self.warnings.append(decoded(message or b""))

    def text(self) -> str:
        return decoded(b"".join(self.pieces))

    def finish(self, result: int, status: rec.edlcStatus, path: PathLike, *,
               other: Optional[PathLike] = None, output: Optional[PathLike] = None) -> None:
        """Gives the warnings to Python's warnings (pointing at the caller of the public
        function), then raises what failed."""
        for message in self.warnings:
            warnings.warn(EdlWarning(f"{os.fsdecode(path)}: {message}"), stacklevel=3)
        if self.error is not None:
            raise self.error
        if result != rec.EDLC_OK:
            raise failure(status, path, other=other, output=output)
