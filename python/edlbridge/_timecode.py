"""Timecode modes and timecode texts.

The library carries times as unsigned 32-bit frame counts in a list's timecode mode; a
host shows them as 'HH:MM:SS:FF'. The modes are read from the library's table
(edlcTcModeAt) when the module is imported, and texts are made, read and carried into
other modes by the library (edlcFormatTimecode, edlcParseTimecode, edlcRelabel).
"""

import ctypes
from typing import Dict, List, NamedTuple, Union, overload

from . import _records as rec
from ._library import converter
from ._named import NamedIntEnum


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


class TimecodeMode(NamedIntEnum):
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
    def parse(cls, text: Union[str, int, float]) -> "TimecodeMode":
        """A mode as the edlbridge tool takes one (``--fcm``): its value (``0x04``, ``"4"``,
        ``"0x44"``), the tool's name (``"film"``, ``"ndf"``, ``"23.98df"``), another spelling
        it takes (``"drop"``, a rate such as ``"25"`` or ``"29.97"``), or the member name.

        A number that is no mode value is looked up as a rate, as its text would be: ``25``
        is PAL and ``29.97`` drop frame. Raises ValueError for anything the table does not
        name, so no number is ever counted like another mode.

        >>> TimecodeMode.parse("pal"), TimecodeMode.parse(25), TimecodeMode.parse(0x04)
        (<TimecodeMode.PAL: 8>, <TimecodeMode.PAL: 8>, <TimecodeMode.DF: 4>)
        """
        if isinstance(text, bool) or not isinstance(text, (str, int, float)):
            raise TypeError(f"a timecode mode is a name, a value or a rate, not {text!r}")
        if isinstance(text, TimecodeMode):
            return text
        if isinstance(text, float):
            spelled = str(int(text)) if text.is_integer() else repr(text)
        elif isinstance(text, int):
            if text in _ROWS:
                return cls(text)
            spelled = str(text)
        else:
            if text.upper() in cls.__members__:
                return cls.__members__[text.upper()]
            spelled = text
        entry = rec.edlcTcMode()
        if spelled and "\0" not in spelled and converter().edlcFindTcMode(
                spelled.encode("utf-8", "surrogateescape"), ctypes.byref(entry)):
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


def _mode_name(mode: int) -> str:
    return mode.label if isinstance(mode, TimecodeMode) else f"0x{int(mode):02X}"


class Timecode:
    """A time of a list: a frame count and the timecode mode it counts in.

    ``frames`` is what the library carries; ``text`` (also ``str(tc)``) is 'HH:MM:SS:FF'
    in the mode, with ';' before the frames in drop-frame modes, as the edlbridge tool
    prints it. Two timecodes are equal when their frames and modes are.

    Timecodes of one mode are ordered, and take frames as plain integers::

        >>> start = Timecode.parse("01:00:00:00", "pal")
        >>> end = start + 50
        >>> str(end), end - start, end.seconds - start.seconds
        ('01:00:02:00', 50, 2.0)

    Comparing or subtracting timecodes of two modes raises TypeError (carry one into the
    other's mode with ``to_mode`` first); a result before frame 0 raises ValueError.
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

    @property
    def seconds(self) -> float:
        """The time in seconds at the mode's frame rate (29.97 for drop frame), from the
        library's table of modes."""
        return self.frames * 100.0 / _row(self.mode).frame_rate

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

    def _same_mode(self, other: "Timecode", doing: str) -> None:
        if int(self.mode) != int(other.mode):
            raise TypeError(
                f"cannot {doing} timecodes of modes {_mode_name(self.mode)} and "
                f"{_mode_name(other.mode)}; carry one into the other's mode with to_mode()")

    def _key(self, other: object, doing: str) -> int:
        if not isinstance(other, Timecode):
            raise TypeError(f"cannot {doing} a Timecode and {type(other).__name__}")
        self._same_mode(other, doing)
        return other.frames

    def __lt__(self, other: object) -> bool:
        return self.frames < self._key(other, "compare")

    def __le__(self, other: object) -> bool:
        return self.frames <= self._key(other, "compare")

    def __gt__(self, other: object) -> bool:
        return self.frames > self._key(other, "compare")

    def __ge__(self, other: object) -> bool:
        return self.frames >= self._key(other, "compare")

    def _moved(self, frames: int) -> "Timecode":
        if frames < 0:
            raise ValueError(f"{self.text} {frames - self.frames:+d} frames is before 00:00:00:00")
        return Timecode(frames, self.mode)

    def __add__(self, other: Union["Timecode", int]) -> "Timecode":
        """Frames later: ``tc + 25``; with a timecode of the same mode, the sum of both
        (a start plus a duration given as a timecode)."""
        if isinstance(other, Timecode):
            self._same_mode(other, "add")
            return self._moved(self.frames + other.frames)
        if isinstance(other, int) and not isinstance(other, bool):
            return self._moved(self.frames + other)
        return NotImplemented

    def __radd__(self, other: int) -> "Timecode":
        return self.__add__(other)

    @overload
    def __sub__(self, other: "Timecode") -> int: ...

    @overload
    def __sub__(self, other: int) -> "Timecode": ...

    def __sub__(self, other: Union["Timecode", int]) -> Union["Timecode", int]:
        """Frames between two timecodes of one mode (an int, negative when ``other`` is
        later), or the timecode frames earlier."""
        if isinstance(other, Timecode):
            self._same_mode(other, "subtract")
            return self.frames - other.frames
        if isinstance(other, int) and not isinstance(other, bool):
            return self._moved(self.frames - other)
        return NotImplemented

    def to_mode(self, mode: int) -> "Timecode":
        """The same label in another mode: hours, minutes and seconds kept, frames scaled."""
        return Timecode(relabel(self.frames, self.mode, mode), mode)

    @classmethod
    def parse(cls, text: str, mode: Union[TimecodeMode, int, float, str]) -> "Timecode":
        """Reads a timecode text of a mode as the library reads one.

        ``mode`` is required and taken as TimecodeMode.parse takes it: a member, a value
        (``0x04``), a name (``"pal"``, ``"df"``) or a rate (``"25"``, ``25``, ``"29.97"``).

        'HH:MM:SS:FF', with ':', ';', '.' or ',' between the fields; hours may have up to
        five digits, the other fields one or two. Raises ValueError for an unknown mode and
        for a text that is no timecode of the mode: minutes or seconds above 59, a frame
        number the mode does not count, a label drop-frame counting skips. Hours past the
        32-bit frame count wrap, as the library's counts do.

        >>> Timecode.parse("01:00:00:00", "pal")
        Timecode(90000, TimecodeMode.PAL)
        """
        chosen = TimecodeMode.parse(mode)
        frames = ctypes.c_uint32()
        if "\0" in text or not converter().edlcParseTimecode(
                text.encode("utf-8", "surrogateescape"), int(chosen), ctypes.byref(frames)):
            raise ValueError(f"{text!r} is no timecode of mode {chosen.label}")
        return cls(frames.value, chosen)
