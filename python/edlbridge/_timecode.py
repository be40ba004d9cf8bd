"""Timecode modes and timecode texts.

The library carries times as unsigned 32-bit frame counts in a list's timecode mode; a
host shows them as 'HH:MM:SS:FF'. The rows below are those of the library's mode table
(src/core/tc_modes.h): frame numbers per second, frame numbers skipped at each minute not
divisible by ten, and whether the text has ';' before the frames.
"""

import enum
import re
from typing import NamedTuple, Tuple, Union


class TimecodeMode(enum.IntEnum):
    """The timecode modes of a list (the low byte of the list record's dwTcMode)."""

    FILM = 0x01
    NDF = 0x02
    DF = 0x04
    PAL = 0x08
    PAL50 = 0x10
    DF5994 = 0x20
    NTSC60 = 0x40
    HUNDREDTHS = 0x44
    NTSC2398 = 0x80
    NTSC2398DF = 0x84

    @property
    def label(self) -> str:
        """The name the edlbridge tool gives the mode ('df', '23.98', ...)."""
        return _row(self).name

    @classmethod
    def parse(cls, text: Union[str, int]) -> "TimecodeMode":
        """A mode by its value, the tool's name ('film', 'ndf', '23.98df', ...) or member name."""
        if isinstance(text, int):
            try:
                return cls(text)
            except ValueError:
                raise ValueError(f"no such timecode mode {text!r}") from None
        for row in _ROWS:
            if text.lower() == row.name:
                return cls(row.value)
        if text.upper() in cls.__members__:
            return cls.__members__[text.upper()]
        raise ValueError(f"no such timecode mode {text!r}")


class _Row(NamedTuple):
    value: int
    name: str
    fps: int
    dropped: int
    drop_frame: bool
    frame_rate: int  # hundredths of a frame per second, as the list record holds it


_ROWS: Tuple[_Row, ...] = (
    _Row(0x01, "film", 24, 0, False, 2400),
    _Row(0x02, "ndf", 30, 0, False, 2997),
    _Row(0x04, "df", 30, 2, True, 2997),
    _Row(0x08, "pal", 25, 0, False, 2500),
    _Row(0x10, "pal50", 50, 0, False, 5000),
    _Row(0x20, "df5994", 60, 4, True, 5994),
    _Row(0x40, "ntsc60", 60, 0, False, 6000),
    _Row(0x44, "hundredths", 100, 0, False, 10000),
    _Row(0x80, "23.98", 24, 0, False, 2398),
    _Row(0x84, "23.98df", 24, 0, True, 2398),
)
_BY_VALUE = {row.value: row for row in _ROWS}


def _row(mode: int) -> _Row:
    # Values the library does not know count like non-drop 30, as its timecode service does.
    return _BY_VALUE.get(int(mode) & 0xFF, _BY_VALUE[0x02])


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


def _label(frames: int, row: _Row) -> Tuple[int, int, int, int]:
    n = frames
    if row.dropped:
        # Add back the frame numbers skipped so far, then count as if none were.
        per_ten = row.fps * 600 - 9 * row.dropped
        per_minute = row.fps * 60 - row.dropped
        tens, rest = divmod(n, per_ten)
        n += 9 * row.dropped * tens
        if rest > row.dropped:
            n += row.dropped * ((rest - row.dropped) // per_minute)
    n, ff = divmod(n, row.fps)
    n, ss = divmod(n, 60)
    hh, mm = divmod(n, 60)
    return hh, mm, ss, ff


def _frames(hh: int, mm: int, ss: int, ff: int, row: _Row) -> int:
    minutes = hh * 60 + mm
    n = (minutes * 60 + ss) * row.fps + ff
    if row.dropped:
        n -= row.dropped * (minutes - minutes // 10)
    return n


def text_of(frames: int, mode: int) -> str:
    """'HH:MM:SS:FF' of a frame count, ';' before the frames in drop-frame modes."""
    row = _row(mode)
    hh, mm, ss, ff = _label(frames, row)
    return f"{hh:02d}:{mm:02d}:{ss:02d}{';' if row.drop_frame else ':'}{ff:02d}"


def relabel(frames: int, source: int, target: int) -> int:
    """A position in another mode: the same hours, minutes and seconds, the frame number
    scaled to the new rate, and a label drop-frame counting skips moved to the next one."""
    a, b = _row(source), _row(target)
    if a.fps == b.fps and a.dropped == b.dropped:
        return frames
    hh, mm, ss, ff = _label(frames, a)
    ff = ff * b.fps // a.fps
    if b.dropped and ss == 0 and mm % 10 != 0 and ff < b.dropped:
        ff = b.dropped
    return _frames(hh, mm, ss, ff, b) & 0xFFFFFFFF


def rescale(frames: int, source: int, target: int) -> int:
    """A length in frames at another rate, rounded to the nearest frame (halves away from 0)."""
    a, b = _row(source).fps, _row(target).fps
    if a == b:
        return frames
    scaled = frames * b
    if scaled >= 0:
        return (scaled + a // 2) // a
    return -((-scaled + a // 2) // a)


_SEPARATORS = re.compile(r"[+,\-.:;=_]")


class Timecode:
    """A time of a list: a frame count and the timecode mode it counts in.

    ``frames`` is what the library carries; ``text`` (also ``str(tc)``) is 'HH:MM:SS:FF'
    in the mode, with ';' before the frames in drop-frame modes, as the edlbridge tool
    prints it. Two timecodes are equal when their frames and modes are.
    """

    __slots__ = ("frames", "mode")

    def __init__(self, frames: int = 0, mode: int = TimecodeMode.DF) -> None:
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
    def parse(cls, text: str, mode: int = TimecodeMode.DF) -> "Timecode":
        """Reads a timecode text as the library reads one.

        Fields separated by any of ``+ , - . : ; = _`` are taken from the right as frames,
        seconds, minutes and hours ('1:' is one second, '5' five frames); digits without
        separators are two-digit fields from the right ('1000' is ten seconds). Raises
        ValueError for anything else, for minutes or seconds above 59, a frame number the
        mode does not count, a label drop-frame counting skips, or a time past 32 bits.
        """
        fields = _SEPARATORS.split(text.strip())
        if len(fields) > 4 or not all(f == "" or (f.isascii() and f.isdigit()) for f in fields):
            raise ValueError(f"{text!r} is no timecode")
        if len(fields) == 1:
            digits = fields[0]
            if not digits:
                raise ValueError(f"{text!r} is no timecode")
            fields = [digits[:-6], digits[-6:-4], digits[-4:-2], digits[-2:]]
        values = [int(f) if f else 0 for f in fields]
        hh, mm, ss, ff = [0] * (4 - len(values)) + values
        row = _row(mode)
        if mm > 59 or ss > 59 or ff >= row.fps:
            raise ValueError(f"{text!r} is no timecode at {row.fps} frames a second")
        if row.dropped and ss == 0 and mm % 10 != 0 and ff < row.dropped:
            raise ValueError(f"{text!r} is a label drop-frame counting skips")
        frames = _frames(hh, mm, ss, ff, row)
        if frames > 0xFFFFFFFF:
            raise ValueError(f"{text!r} is past the 32-bit frame count")
        return cls(frames, mode)
