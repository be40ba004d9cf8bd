"""The change list between two cuts, and the picture of a cut, as edlconvert makes them.

Events are matched between the cuts by clip name (else reel) on a track they share, by the
overlap of their source ranges, as ``edlbridge diff`` matches them; the module only hands
the results over.
"""

import ctypes
import os
import sys
from dataclasses import dataclass, field
from typing import Iterator, List, Optional, Tuple, Union, overload

from . import _records as rec
from ._calls import Host, failure, file_name
from ._errors import PathLike, WriteError
from ._library import converter
from ._lists import _bytes, _counting_rate


@dataclass(frozen=True)
class Change:
    """One row of a change list.

    ``kinds`` names what happened, as the tool does: ``("added",)`` for an event only the
    new cut has, ``("removed",)`` for one only the old cut had, ``("replaced",)`` for one
    that took the place of an old event it does not match, else any of ``"trimmed"``
    (source in or out changed), ``"moved"`` (record in changed) and ``"transition"``, or
    ``("unchanged",)``. ``new_index`` and ``old_index`` are indexes into the events of each
    cut as read() gives them (None for a cut without the event). ``head``, ``tail`` and
    ``move`` are the new cut's source in, source out and record in less the old cut's, in
    frames of the new cut's timecode mode; 0 for events that are not matched.
    """

    kinds: Tuple[str, ...]
    new_index: Optional[int]
    old_index: Optional[int]
    head: int = 0
    tail: int = 0
    move: int = 0


@dataclass
class ChangeList:
    """The changes from the cut ``old`` to the cut ``new``, in the new cut's record order
    (an event only the old cut had sits where it was). ``same`` is True when nothing but
    unchanged events were found. Iterating gives the changes."""

    old: str
    new: str
    same: bool
    changes: List[Change] = field(default_factory=list)

    def __iter__(self) -> Iterator[Change]:
        return iter(self.changes)

    def __len__(self) -> int:
        return len(self.changes)


def _kind_names(kinds: int) -> Tuple[str, ...]:
    names = []
    for bit in range(32):
        if kinds & (1 << bit):
            name = converter().edlcChangeName(1 << bit)
            names.append(name.decode("ascii") if name else f"0x{1 << bit:x}")
    return tuple(names)


_DIFF_FORMATS = {"table": rec.EDLC_FORMAT_TABLE, "json": rec.EDLC_FORMAT_JSON}


@overload
def diff(old: PathLike, new: PathLike, *, unchanged: bool = False,
         format: None = None, rate: Optional[float] = None) -> ChangeList: ...


@overload
def diff(old: PathLike, new: PathLike, *, unchanged: bool = False, format: str,
         rate: Optional[float] = None) -> str: ...


def diff(old: PathLike, new: PathLike, *, unchanged: bool = False,
         format: Optional[str] = None, rate: Optional[float] = None) -> Union[ChangeList, str]:
    """The change list from the cut ``old`` to the cut ``new`` (two lists of any dialects
    and timecode modes: the old cut's times are carried into the new cut's mode first).

    Returns a ChangeList; with ``format`` ("table" or "json") the text ``edlbridge diff``
    prints instead. Unchanged events are left out unless ``unchanged`` is set. ``rate`` is
    the rate both lists count at, as read() and ``edlbridge diff --rate`` take it. Raises
    OpenError or NotAListError naming the list that failed, and ValueError for a rate no
    timecode counts at.
    """
    flags = (rec.EDLC_ALL if unchanged else 0) | rec.EDLC_RATE(_counting_rate(rate))
    library = converter()
    old_name, new_name = file_name(old), file_name(new)
    status = rec.edlcStatus()
    if format is not None:
        if format not in _DIFF_FORMATS:
            raise ValueError(f"no such format {format!r} (table or json)")
        host = Host()
        options = host.options(format=_DIFF_FORMATS[format], flags=flags)
        result = library.edlcDiff(old_name, new_name, ctypes.byref(options), None,
                                  ctypes.byref(status))
        host.finish(result, status, new, other=old)
        return host.text()
    handle = library.edlcDiffLists(old_name, new_name, flags, ctypes.byref(status))
    if not handle:
        raise failure(status, new, other=old)
    try:
        row = rec.edlcChange()
        changes = []
        for index in range(library.edlcDiffCount(handle)):
            library.edlcDiffAt(handle, index, ctypes.byref(row))
            changes.append(Change(
                kinds=_kind_names(row.kinds),
                new_index=row.newIndex if row.newIndex >= 0 else None,
                old_index=row.oldIndex if row.oldIndex >= 0 else None,
                head=row.head, tail=row.tail, move=row.move))
        same = bool(library.edlcDiffSame(handle))
    finally:
        library.edlcDiffFree(handle)
    return ChangeList(os.fsdecode(old), os.fsdecode(new), same, changes)


_PICTURE_FORMATS = {"svg": rec.EDLC_FORMAT_SVG, "html": rec.EDLC_FORMAT_HTML}


@overload
def timeline(list: PathLike, output: None = None, old: Optional[PathLike] = None,
             format: str = "svg", *, rate: Optional[float] = None,
             record_start: Optional[str] = None) -> str: ...


@overload
def timeline(list: PathLike, output: PathLike, old: Optional[PathLike] = None,
             format: str = "svg", *, rate: Optional[float] = None,
             record_start: Optional[str] = None) -> int: ...


def timeline(list: PathLike, output: Optional[PathLike] = None,
             old: Optional[PathLike] = None, format: str = "svg", *,
             rate: Optional[float] = None, record_start: Optional[str] = None) -> Union[str, int]:
    """The picture of the cut ``list``: one box per event on its track along the record
    time, as an SVG picture (``format="svg"``) or an HTML page with it (``"html"``). With
    ``old``, each box is marked with what changed since that cut.

    Returns the text when ``output`` is None; else writes it into the file ``output``
    ("-": standard output) and returns the number of events drawn. ``rate`` and
    ``record_start`` read the lists as read() and convert() do. Raises OpenError or
    NotAListError naming the list that failed, and WriteError for an output that cannot be
    written (nothing is left of it) or that is one of the lists.
    """
    if format not in _PICTURE_FORMATS:
        raise ValueError(f"no such format {format!r} (svg or html)")
    library = converter()
    name = file_name(list)
    old_name = file_name(old) if old is not None else None
    target = file_name(output) if output is not None else b"-"
    if output is not None:
        for source in (name, old_name):
            if source is not None and library.edlcSameFile(source, target):
                raise WriteError(output, "would overwrite the input list")
    host = Host(sys.stdout.buffer if output is not None and target == b"-" else None)
    options = host.options(
        format=_PICTURE_FORMATS[format], flags=rec.EDLC_RATE(_counting_rate(rate)),
        recordStart=None if record_start is None else _bytes(record_start))
    count = ctypes.c_size_t(0)
    status = rec.edlcStatus()
    result = library.edlcTimeline(name, old_name, target, ctypes.byref(options),
                                  ctypes.byref(count), ctypes.byref(status))
    host.finish(result, status, list, other=old, output=output)
    return host.text() if output is None else count.value
