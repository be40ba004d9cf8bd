"""The list types: one member per dialect, named as ``edlbridge types`` names them.

The members are read from the library's catalogue (edlcListTypeAt) when the module is
imported, so a dialect the library gains is a member here without a change to the module.
"""

import ctypes
from typing import Dict, List, NamedTuple, Union

from . import _records as rec
from ._library import converter
from ._named import NamedIntEnum


class _Row(NamedTuple):
    value: int
    name: str
    dialect: str
    extension: str
    alternative: str
    detected: bool
    written: bool
    header_form: str


def _row_of(entry: rec.edlcListType) -> _Row:
    def text(value: bytes) -> str:
        return value.decode("utf-8") if value else ""

    return _Row(entry.value, text(entry.name), text(entry.dialect), text(entry.extension),
                text(entry.altExtension), bool(entry.detected), bool(entry.written),
                text(entry.headerForm))


def _catalogue() -> List[_Row]:
    library = converter()
    entry = rec.edlcListType()
    rows = []
    index = 0
    while library.edlcListTypeAt(index, ctypes.byref(entry)):
        rows.append(_row_of(entry))
        index += 1
    # A timeline is no list type of the records library, but convert() reads and writes it.
    if library.edlcFindListType(b"otio", ctypes.byref(entry)):
        rows.append(_row_of(entry))
    return rows


_ROWS: Dict[int, _Row] = {row.value: row for row in _catalogue()}


def _member_name(label: str) -> str:
    return label.upper().replace("-", "_")


class ListType(NamedIntEnum):
    """A list type (a value of edlListTypes), or OTIO for an OpenTimelineIO timeline.

    Member names are the tool's names in capitals with '_' for '-': ``xjt-list`` is
    ``XJT_LIST``, ``cmx3600`` is ``CMX3600``; ``label`` gives the tool's name back.
    """

    # The members come from the catalogue (the enum module's documented way to make
    # members in a loop: the loop's names are listed in _ignore_).
    _ignore_ = ["_members", "_row"]
    _members = vars()
    for _row in _ROWS.values():
        _members[_member_name(_row.name)] = _row.value

    @property
    def label(self) -> str:
        """The tool's name of the type ('xjt-list', 'cmx3600', 'flex-aaton', ...)."""
        return _ROWS[self].name

    @property
    def header_form(self) -> str:
        """The header the library writes for the type ('cmx', 'log-exchange', ...), as the
        HEADER column of ``edlbridge types`` shows it."""
        return _ROWS[self].header_form

    @property
    def dialect(self) -> str:
        """What the dialect is ('CMX 3600', 'tab-delimited log exchange list', ...)."""
        return _ROWS[self].dialect

    @property
    def writable(self) -> bool:
        """Whether lists of the type can be written. A CSV log is read, never written, and
        256 is no type at all."""
        return _ROWS[self].written

    @property
    def detected(self) -> bool:
        """Whether reading a file can yield the type."""
        return _ROWS[self].detected

    @property
    def extension(self) -> str:
        """The default file extension the library gives the type ('edl', 'ale', 'pl*')."""
        return _ROWS[self].extension

    @property
    def alternative_extension(self) -> str:
        """The alternative extension ('log', 'omfi'; empty when there is none)."""
        return _ROWS[self].alternative

    @classmethod
    def parse(cls, value: Union["ListType", int, str]) -> "ListType":
        """A type by value (``7``, ``"7"``), tool name (``"cmx3600"``), the enumerator of
        edlbridge.h (``"EDLTYPE_CMX3600"``) or member name, in any case.

        Raises ValueError for anything else.
        """
        if isinstance(value, str):
            text = value.strip()
            key = _member_name(text)
            if key in cls.__members__:
                return cls.__members__[key]
            entry = rec.edlcListType()
            if text and "\0" not in text and converter().edlcFindListType(
                    text.encode("utf-8", "surrogateescape"), ctypes.byref(entry)):
                return cls(entry.value)
            raise ValueError(f"no such list type {value!r}")
        try:
            return cls(value)
        except ValueError:
            raise ValueError(f"no such list type {value!r}") from None
