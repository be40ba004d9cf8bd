"""edlbridge: read edit decision lists and logs, write them in some forty dialects.

A pure Python layer over the edlbridge shared library's C interface::

    import edlbridge

    cut = edlbridge.read("cut.edl")             # dialect detected from the contents
    for event in cut:
        print(event.edit, event.reel, event.clip_name, event.rec_in)
    edlbridge.convert("cut.edl", "cut.ale", "ale")

The library is found next to this package, in the library folder of the prefix it is
installed in, or by the system loader; the environment variable EDLBRIDGE_LIBRARY names
the file explicitly. Every call opens its own handle, so calls may run in several threads.
"""

from ._errors import (
    EdlError,
    LibraryError,
    NotAListError,
    OpenError,
    ReadError,
    UnknownListTypeError,
    WriteError,
)
from ._list_types import ListType
from ._lists import EditList, Event, convert, detect, iter_events, read, write
from ._timecode import Timecode, TimecodeMode

__version__ = "1.0.0"

__all__ = [
    "EdlError",
    "EditList",
    "Event",
    "LibraryError",
    "ListType",
    "NotAListError",
    "OpenError",
    "ReadError",
    "Timecode",
    "TimecodeMode",
    "UnknownListTypeError",
    "WriteError",
    "convert",
    "detect",
    "iter_events",
    "read",
    "write",
]
