"""Where a list to read comes from: a file's path, or list text, bytes or a stream.

The libraries read files (detection reads the start of a list twice), so text, bytes and
streams are written into a temporary file first, which is removed when the reading ends.
A str or bytes value is a path when it names an existing file or holds no line break;
otherwise it is the list itself. A list has a header line and event lines, so list text
always holds a line break, and a file name rarely does.
"""

import os
import tempfile
from typing import IO, Optional, Union

from ._errors import PathLike

Source = Union[PathLike, "IO[bytes]", "IO[str]"]


class Input:
    """A list ready for the library: the file to open, the name to show for it (in errors
    and as the list's path), and the temporary copy to remove afterwards, if one was made."""

    def __init__(self, path: PathLike, shown: str, temporary: Optional[str] = None) -> None:
        self.path = path
        self.shown = shown
        self._temporary = temporary

    def close(self) -> None:
        temporary, self._temporary = self._temporary, None
        if temporary is not None:
            try:
                os.remove(temporary)
            except OSError:
                pass


def _is_path(value: Union[str, bytes]) -> bool:
    if os.path.exists(value):
        return True
    breaks = ("\n", "\r") if isinstance(value, str) else (b"\n", b"\r")
    return not any(mark in value for mark in breaks)  # type: ignore[operator]


def _copy(data: bytes, shown: str, name: Optional[str]) -> Input:
    # The suffix of the name given survives: detection reads a ".csv" log as one, and a
    # ".otio" file as a timeline.
    suffix = os.path.splitext(name)[1] if name else ""
    handle, temporary = tempfile.mkstemp(prefix="edlbridge-", suffix=suffix)
    try:
        with os.fdopen(handle, "wb") as file:
            file.write(data)
    except BaseException:
        os.remove(temporary)
        raise
    return Input(temporary, name or shown, temporary)


def resolve(source: Source, name: Optional[str] = None) -> Input:
    """The file to read for a source; ``name`` is the name to show for text, bytes and
    streams, whose suffix the temporary file keeps ("log.csv")."""
    if isinstance(source, (str, bytes)):
        if _is_path(source):
            return Input(source, name or os.fsdecode(source))
        data = source.encode("utf-8", "surrogateescape") if isinstance(source, str) else source
        return _copy(data, "<text>" if isinstance(source, str) else "<bytes>", name)
    if isinstance(source, os.PathLike):
        return Input(source, name or os.fsdecode(source))
    if hasattr(source, "read"):
        read = source.read()
        data = read.encode("utf-8", "surrogateescape") if isinstance(read, str) else read
        stream_name = getattr(source, "name", None)
        if name is None and isinstance(stream_name, str) and not stream_name.startswith("<"):
            name = stream_name
        shown = stream_name if isinstance(stream_name, str) else "<stream>"
        return _copy(bytes(data), shown, name)
    raise TypeError(f"a list is a path, list text, bytes or a file object, not {type(source).__name__}")
