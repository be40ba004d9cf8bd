"""edlbridge: read edit decision lists and logs, write them in some forty dialects.

A pure Python layer over the C interfaces of the edlbridge shared libraries::

    import edlbridge

    cut = edlbridge.read("cut.edl")             # dialect detected from the contents
    for event in cut:
        print(event.edit, event.reel, event.clip_name, event.rec_in)
    edlbridge.convert("cut.edl", "cut.ale", "ale")
    edlbridge.convert("cut.edl", "cut.otio", "otio")
    for change in edlbridge.diff("cut_v1.edl", "cut_v2.edl"):
        print(change.kinds, change.new_index, change.head, change.tail, change.move)
    svg = edlbridge.timeline("cut_v2.edl", old="cut_v1.edl")

The libraries (libedlbridge and libedlconvert) are found next to this package, in the
library folder of the prefix it is installed in, or by the system loader; the environment
variables EDLBRIDGE_LIBRARY and EDLCONVERT_LIBRARY name the files explicitly. They are
loaded on import (LibraryError, an ImportError, when they cannot be). Every call opens its
own handle, so calls may run in several threads.
"""

from ._changes import Change, ChangeList, diff, timeline
from ._errors import (
    EdlError,
    EdlWarning,
    LibraryError,
    NotAListError,
    OpenError,
    ReadError,
    UnknownListTypeError,
    WriteError,
)
from ._list_types import ListType
from ._markers import Grade, Marker, cdl, markers, write_cdl, write_markers
from ._lists import EditList, Event, OpenList, convert, detect, iter_events, open, read, write
from ._timecode import Timecode, TimecodeMode

from ._version import __version__

__all__ = [
    "Change",
    "ChangeList",
    "EdlError",
    "EdlWarning",
    "EditList",
    "Event",
    "Grade",
    "LibraryError",
    "ListType",
    "Marker",
    "NotAListError",
    "OpenError",
    "OpenList",
    "ReadError",
    "Timecode",
    "TimecodeMode",
    "UnknownListTypeError",
    "WriteError",
    "cdl",
    "convert",
    "detect",
    "diff",
    "iter_events",
    "markers",
    "open",
    "read",
    "timeline",
    "write",
    "write_cdl",
    "write_markers",
]
