"""The exceptions of the module: each names the file and the reason, as the tool does."""

import os
from typing import Union

PathLike = Union[str, bytes, "os.PathLike[str]", "os.PathLike[bytes]"]


class EdlError(Exception):
    """Something failed with a list file.

    ``path`` is the file and ``reason`` what went wrong; ``str(error)`` is
    ``"FILE: REASON"``, the message the edlbridge tool prints for the same failure.
    """

    def __init__(self, path: PathLike, reason: str) -> None:
        name = os.fsdecode(path)
        super().__init__(f"{name}: {reason}")
        # After the base class, which (for ImportError) sets a path of its own.
        self.path = name
        self.reason = reason


# ImportError declares its path Optional; this one always names the library's file.
class LibraryError(EdlError, ImportError):  # type: ignore[misc]
    """A shared library could not be found or loaded; raised when the module is imported."""


class OpenError(EdlError):
    """The file cannot be opened: missing, a folder, not readable, name too long."""


class NotAListError(EdlError):
    """The file opens, but the library recognises no list in it."""


class ReadError(EdlError):
    """Reading an event of an open list failed."""


class UnknownListTypeError(EdlError, ValueError):
    """A list type the library has no dialect for, or one it cannot write."""


class WriteError(EdlError):
    """The list could not be created or written completely; nothing is left behind."""


class EdlWarning(UserWarning):
    """Something a conversion could not carry over (an event a timeline cannot place, ...);
    the conversion goes on."""
