"""Timecode modes and timecode texts.

The library carries times as unsigned 32-bit frame counts in a list's timecode mode; a
host shows them as 'HH:MM:SS:FF'. The modes are read from the library's table
(edlcTcModeAt) when the module is imported, and texts are made, read and carried into
other modes by the library (edlcFormatTimecode, edlcParseTimecode, edlcRelabel).
"""

import ctypes
import enum
from typing import Dict, List, NamedTuple, Union

from . import _records as rec
from ._library import converter


class _Row(NamedTuple):
    value: int
    name: str
    description: str
    fps: int
    dropped: int
    drop_frame: bool
    frame_rate: int  # hundredths of a frame per second, as the list record holds it


def _table() -> List[_Row]:
    library = converter()
    entry = rec.edlcTcMode()
    rows = []
    index = 0
    while library.edlcTcModeAt(index, ctypes.byref(entry)):
        rows.append(_Row(entry.value, entry.name.decode("utf-8"),
                         entry.description.decode("utf-8"), entry.fps, entry.dropped,
                         bool(entry.dropFrame), entry.frameRate))
        index += 1
    return rows


_ROWS: Dict[int, _Row] = {row.value: row for row in _table()}


def _member_name(label: str) -> str:
    # 23.98 is the NTSC film rate: its names begin with a digit, which no Python name may.
    name = label.upper().replace(".", "")
    return "NTSC" + name if name[:1].isdigit() else name


class TimecodeMode(enum.IntEnum):
    """The timecode modes of a list (the low byte of the list record's dwTcMode).

    Member names are the tool's names in capitals (``DF``, ``PAL50``); those of 23.98
    are ``NTSC2398`` and ``NTSC2398DF``. ``label`` gives the tool's name back.
    """

    # The members come from the library's table, made in a loop as for ListType.
    _ignore_ = ["_members", "_row"]
    _members = vars()
    for _row in _ROWS.values():
        _members[_member_name(_row.name)] = _row.value

    @property
    def label(self) -> str:
        """The name the edlbridge tool gives the mode ('df', '23.98', ...)."""
        return _ROWS[self].name

    @property
    def description(self) -> str:
        """What the mode is ('drop frame, 29.97 fps', ...)."""
        return _ROWS[self].description

    @property
    def fps(self) -> int:
        """Frame numbers per second of the mode's timecode text (30 for 29.97)."""
        return _ROWS[self].fps

    @property
    def drop_frame(self) -> bool:
        """Whether the mode's texts have ';' before the frames."""
        return _ROWS[self].drop_frame

    @property
    def frame_rate(self) -> float:
        """Frames a second (29.97)."""
        return _ROWS[self].frame_rate / 100.0

    @classmethod
    def parse(cls, text: Union[str, int]) -> "TimecodeMode":
        """A mode by its value, the tool's name ('film', 'ndf', '23.98df', ...) or another
        spelling the tool takes ('drop', '29.97', '0x44'), or its member name."""
        if isinstance(text, int):
            try:
                return cls(text)
            except ValueError:
                raise ValueError(f"no such timecode mode {text!r}") from None
        if text.upper() in cls.__members__:
            return cls.__members__[text.upper()]
        entry = rec.edlcTcMode()
        if text and "\0" not in text and converter().edlcFindTcMode(
                text.encode("utf-8", "surrogateescape"), ctypes.byref(entry)):
            return cls(entry.value)
        raise ValueError(f"no such timecode mode {text!r}")


_DF = TimecodeMode(rec.EDL_TC_DF)


def _row(mode: int) -> _Row:
    # The library counts a mode value it does not know like non-drop 30.
    return _ROWS.get(int(mode) & 0xFF) or _ROWS[TimecodeMode.parse("ndf")]


def mode_of(value: int) -> Union[TimecodeMode, int]:
    """The mode of a list record's dwTcMode: a TimecodeMode, or the bare low byte."""
    try:
        return TimecodeMode(value & 0xFF)
    except ValueError:
        return value & 0xFF


def frame_rate_of(mode: int) -> int:
    """The list record's frame rate (hundredths of a frame per second) of a mode."""
    return _row(mode).frame_rate


def drops_frames(mode: int) -> bool:
    """Whether drop-frame counting skips frame numbers in the mode (29.97 and 59.94)."""
    return _row(mode).dropped != 0


def text_of(frames: int, mode: int) -> str:
    """'HH:MM:SS:FF' of a frame count, ';' before the frames in drop-frame modes."""
    buffer = ctypes.create_string_buffer(32)
    converter().edlcFormatTimecode(frames, int(mode) & 0xFFFFFFFF, buffer, len(buffer))
    return buffer.value.decode("ascii")


def relabel(frames: int, source: int, target: int) -> int:
    """A position in another mode: the same hours, minutes and seconds, the frame number
    scaled to the new rate, and a label drop-frame counting skips moved to the next one."""
    return int(converter().edlcRelabel(frames, int(source) & 0xFFFFFFFF,
                                       int(target) & 0xFFFFFFFF))


def rescale(frames: int, source: int, target: int) -> int:
    """A length in frames at another rate, rounded to the nearest frame (halves away from 0).

    Lengths (effect lengths, audio offsets) are no positions, so they are scaled by the
    rates of the modes' table rather than relabelled.
    """
    return int(converter().edlcRescale(frames, int(source) & 0xFFFFFFFF, int(target) & 0xFFFFFFFF))


class Timecode:
    """A time of a list: a frame count and the timecode mode it counts in.

    ``frames`` is what the library carries; ``text`` (also ``str(tc)``) is 'HH:MM:SS:FF'
    in the mode, with ';' before the frames in drop-frame modes, as the edlbridge tool
    prints it. Two timecodes are equal when their frames and modes are.
    """

    __slots__ = ("frames", "mode")

    def __init__(self, frames: int = 0, mode: int = _DF) -> None:
        if not 0 <= frames <= 0xFFFFFFFF:
            raise ValueError(f"frame count {frames} does not fit 32 bits")
        self.frames = frames
        self.mode = mode

    @property
    def text(self) -> str:
        """The timecode text in the mode."""
        return text_of(self.frames, self.mode)

    def __str__(self) -> str:
        return self.text

    def __repr__(self) -> str:
        mode = f"TimecodeMode.{self.mode.name}" if isinstance(self.mode, TimecodeMode) else self.mode
        return f"Timecode({self.frames}, {mode})"

    def __int__(self) -> int:
        return self.frames

    def __eq__(self, other: object) -> bool:
        if not isinstance(other, Timecode):
            return NotImplemented
        return self.frames == other.frames and int(self.mode) == int(other.mode)

    def __hash__(self) -> int:
        return hash((self.frames, int(self.mode)))

    def to_mode(self, mode: int) -> "Timecode":
        """The same label in another mode: hours, minutes and seconds kept, frames scaled."""
        return Timecode(relabel(self.frames, self.mode, mode), mode)

    @classmethod
    def parse(cls, text: str, mode: int = _DF) -> "Timecode":
        """Reads a timecode text as the library reads one.

        'HH:MM:SS:FF', with ':', ';', '.' or ',' between the fields; hours may have up to
        five digits, the other fields one or two. Raises ValueError for anything else, and
        for minutes or seconds above 59 or a frame number the mode does not count. Hours
        past the 32-bit frame count wrap, as the library's counts do.
        """
        frames = ctypes.c_uint32()
        if "\0" in text or not converter().edlcParseTimecode(
                text.encode("utf-8", "surrogateescape"), int(mode) & 0xFFFFFFFF,
                ctypes.byref(frames)):
            raise ValueError(f"{text!r} is no timecode of mode {_row(mode).name}")
        return cls(frames.value, mode)
