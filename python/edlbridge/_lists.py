"""Reading, writing and converting lists.

Lists and timelines are read and converted by edlconvert (which detects the dialect, reads
for interchange and knows the whole clip name and the source file of an event); events a
host made are written by the records library, one record at a time. Every call opens its
own handle and uses its own records, so calls may run in several threads at once (ctypes
lets go of the interpreter lock while the library works).

Texts are bytes in the files. They are decoded as UTF-8, and bytes that are no UTF-8
become surrogates ('surrogateescape'), so writing a text read from a list gives back its
bytes. The edlbridge tool shows those bytes as U+FFFD instead.
"""

import ctypes
import dataclasses
import errno
import itertools
import json
import os
import stat
import sys
import weakref
from dataclasses import dataclass, field
from typing import Any, Callable, Dict, Iterable, Iterator, List, Optional, Union, overload

from . import _records as rec
from ._calls import Host, failure, file_name
from ._errors import PathLike, UnknownListTypeError, WriteError
from ._library import converter, library
from ._list_types import ListType
from ._sources import Input, Source, resolve
from ._timecode import (
    Timecode,
    TimecodeMode,
    drops_frames,
    frame_rate_of,
    mode_of,
    relabel,
    rescale,
    text_of,
)

Time = Union[Timecode, int]
ModeLike = Union[TimecodeMode, int, str]
TypeLike = Union[ListType, int, str]


def _text(data: bytes) -> str:
    return data.decode("utf-8", "surrogateescape")


def _bytes(text: str) -> bytes:
    return text.encode("utf-8", "surrogateescape")


def _track_numbers(mask: int) -> List[int]:
    numbers = []
    bit = 1
    while mask:
        if mask & 1:
            numbers.append(bit)
        mask >>= 1
        bit += 1
    return numbers


def _track_mask(numbers: Iterable[int], kind: str) -> int:
    mask = 0
    for number in numbers:
        if not isinstance(number, int) or not 1 <= number <= 32:
            raise ValueError(f"track {kind}{number!r} is not one of {kind}1 to {kind}32")
        mask |= 1 << (number - 1)
    return mask


def _track_text(video: Iterable[int], audio: Iterable[int]) -> str:
    # Runs of three or more tracks are ranges ('A1-A8'), as the tool writes them.
    words = []
    for kind, numbers in (("V", video), ("A", audio)):
        ordered = sorted(set(numbers))
        i = 0
        while i < len(ordered):
            last = i
            while last + 1 < len(ordered) and ordered[last + 1] == ordered[last] + 1:
                last += 1
            if last - i >= 2:
                words.append(f"{kind}{ordered[i]}-{kind}{ordered[last]}")
            else:
                words.extend(f"{kind}{n}" for n in ordered[i : last + 1])
            i = last + 1
    return " ".join(words)


def _note_lines(comment: bytes) -> List[bytes]:
    # One note a line; a line feed at the very end closes the last note and opens none.
    if not comment:
        return []
    lines = comment.split(b"\n")
    if comment.endswith(b"\n"):
        lines.pop()
    return lines


def _names_clip(notes: List[bytes], clip: bytes, edit_type: bytes) -> bool:
    # Whether a note already says the whole clip name, as the writers read it from one.
    keywords = [b"FROM CLIP NAME:"] + ([b"TO CLIP NAME:"] if edit_type in (b"D", b"W", b"K") else [])
    for line in notes:
        for keyword in keywords:
            if line[: len(keyword)].upper() == keyword and line[len(keyword):].strip(b" \t") == clip:
                return True
    return False


@dataclass
class Event:
    """One event (an edit or a clip) of a list.

    The fields carry the names of the tool's JSON dump (``edlbridge dump --format json``).
    Track lists hold track numbers (``video_tracks=[1]``, ``audio_tracks=[1, 2]`` for
    V A1 A2); the eight times are Timecode values in the list's mode. ``clip_name`` is the
    whole clip name, ``source_file`` the media file the list names (None when none) and
    ``notes`` the event's comment and note lines in file order. ``edit`` 0 means the list
    gives no event number; writing numbers such events in order.

    ``effect_text`` is what follows the K of a key ('B' for 'KB'), and ``clip_event`` marks
    a clip line of the library's own lists; both are not part of the dump.
    """

    edit: int = 0
    reel: str = ""
    video_tracks: List[int] = field(default_factory=list)
    audio_tracks: List[int] = field(default_factory=list)
    edit_type: str = "C"
    wipe_code: int = 0
    effect_length: int = 0
    src_in: Timecode = field(default_factory=Timecode)
    src_out: Timecode = field(default_factory=Timecode)
    rec_in: Timecode = field(default_factory=Timecode)
    rec_out: Timecode = field(default_factory=Timecode)
    mark_in: Timecode = field(default_factory=Timecode)
    mark_out: Timecode = field(default_factory=Timecode)
    audio_offset: int = 0
    clip_name: str = ""
    source_file: Optional[str] = None
    notes: List[str] = field(default_factory=list)
    raw_line: str = ""
    effect_text: str = ""
    clip_event: bool = False

    @property
    def tracks(self) -> str:
        """The tracks as text: 'V1 A1 A2', runs of three or more as 'A1-A8'."""
        return _track_text(self.video_tracks, self.audio_tracks)

    @property
    def name(self) -> str:
        """The source file, else the whole clip name (the dump's "name" of a list read for
        interchange)."""
        return self.source_file if self.source_file is not None else self.clip_name

    @property
    def comment(self) -> str:
        """The notes as one text, a line feed between two notes."""
        return "\n".join(self.notes)

    @property
    def duration(self) -> int:
        """Frames from record in to record out; 0 when the event gives no record times (or
        its record out is not after its record in).

        >>> Event(rec_in=Timecode(90000, TimecodeMode.PAL),
        ...       rec_out=Timecode(90050, TimecodeMode.PAL)).duration
        50
        """
        record_in, record_out = self.rec_in, self.rec_out
        if isinstance(record_in, Timecode) and isinstance(record_out, Timecode):
            record_out = Timecode(_frames(record_out, record_in.mode), record_in.mode)
        return max(0, int(record_out) - int(record_in))

    def to_dict(self) -> Dict[str, Any]:
        """The event as the tool's JSON dump (``edlbridge dump --format json``) gives it:
        the same keys and values, track sets as bit masks, each time as ``{"timecode",
        "frames"}``, bytes that are no UTF-8 as U+FFFD. ``json.dumps`` takes it as it is.

        >>> Event(edit=1, reel="R1", video_tracks=[1]).to_dict()["tracks"]
        'V1'
        """
        item: Dict[str, Any] = {
            "edit": self.edit,
            "reel": _shown(self.reel),
            "tracks": self.tracks,
            "video_tracks": _mask_of(self.video_tracks),
            "audio_tracks": _mask_of(self.audio_tracks),
            "edit_type": _shown(self.edit_type),
            "wipe_code": self.wipe_code,
            "effect_length": self.effect_length,
        }
        for key in _TIMES:
            time = getattr(self, key)
            frames = int(time)
            mode = time.mode if isinstance(time, Timecode) else rec.EDL_TC_DF
            item[key] = {"timecode": text_of(frames, mode), "frames": frames}
        item.update({
            "audio_offset": self.audio_offset,
            "clip_name": _shown(self.clip_name),
            "name": _shown(self.name),
            "comment": _shown(self.comment),
            "source_file": None if self.source_file is None else _shown(self.source_file),
            "notes": [_shown(note) for note in self.notes],
            "raw_line": _shown(self.raw_line),
        })
        return item


@dataclass
class EditList:
    """A list read whole: its type, title, timecode mode and events.

    ``frame_rate`` is in frames a second (29.97); ``column_line`` holds the field names of
    column and CSV logs. Iterating over the list gives its events.
    """

    path: str
    list_type: Union[ListType, int]
    title: str
    timecode_mode: Union[TimecodeMode, int]
    frame_rate: float
    column_line: str
    events: List[Event] = field(default_factory=list)
    rate_source: str = "assumed"

    def __iter__(self) -> Iterator[Event]:
        return iter(self.events)

    def __len__(self) -> int:
        return len(self.events)

    def to_dict(self) -> Dict[str, Any]:
        """The list as the tool's JSON dump of it: ``file``, ``list_type`` and its name,
        ``title``, ``timecode_mode`` and its name, ``frame_rate``, ``column_line`` and the
        ``events`` (each as Event.to_dict gives it)."""
        return {
            "file": _shown(self.path),
            "list_type": int(self.list_type),
            "list_type_name": self.list_type.label if isinstance(self.list_type, ListType)
            else "unknown",
            "title": _shown(self.title),
            "timecode_mode": int(self.timecode_mode) & 0xFF,
            "timecode_mode_name": _mode_label(self.timecode_mode),
            "frame_rate": self.frame_rate,
            "rate_source": self.rate_source,
            "column_line": _shown(self.column_line),
            "events": [event.to_dict() for event in self.events],
        }

    def to_json(self, indent: Optional[int] = 2) -> str:
        """The JSON text of to_dict(): what ``edlbridge dump --format json`` prints for the
        list (the same keys and values).

        >>> cut = edlbridge.read("cut.edl")
        >>> json.loads(cut.to_json())["events"][0]["rec_in"]
        {'timecode': '01:00:00:00', 'frames': 108000}
        """
        return json.dumps(self.to_dict(), indent=indent, ensure_ascii=False)


_TIMES = ("src_in", "src_out", "rec_in", "rec_out", "mark_in", "mark_out")


def _shown(text: str) -> str:
    # As the tool shows texts: bytes that are no UTF-8 (kept here as surrogates) as U+FFFD.
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def _mask_of(numbers: Iterable[int]) -> int:
    return sum(1 << (number - 1) for number in set(numbers))


def _mode_label(mode: Union[TimecodeMode, int]) -> str:
    # The library counts a mode value it does not know like non-drop 30, and names it so.
    return mode.label if isinstance(mode, TimecodeMode) else TimecodeMode.parse("ndf").label


def _event_of(record: rec.EdlLineVB, mode: Union[TimecodeMode, int], clip_name: bytes,
              source_file: bytes) -> Event:
    edit_type = record.chEditType
    return Event(
        edit=record.dwEditNum,
        reel=_text(record.achReel),
        video_tracks=_track_numbers(record.dwVideoTracks),
        audio_tracks=_track_numbers(record.dwAudioTracks),
        edit_type=_text(edit_type) if edit_type != b"\0" else "",
        wipe_code=ctypes.c_int32(record.dwWipeCode).value,
        effect_length=ctypes.c_int32(record.dwEffectLen).value,
        src_in=Timecode(record.dwSrcIn, mode),
        src_out=Timecode(record.dwSrcOut, mode),
        rec_in=Timecode(record.dwRecIn, mode),
        rec_out=Timecode(record.dwRecOut, mode),
        mark_in=Timecode(record.dwMarkIn, mode),
        mark_out=Timecode(record.dwMarkOut, mode),
        audio_offset=record.lAudioOffset,
        clip_name=_text(clip_name),
        source_file=_text(source_file) if source_file else None,
        notes=[_text(line) for line in _note_lines(record.achComment)],
        raw_line=_text(record.achLine),
        effect_text=_text(record.szEffectText),
        clip_event=bool(record.dwPresent & rec.EDL_P_CLIP_EVENT
                        or record.dwLineFlags & rec.EDL_LINE_CLIP),
    )


class _Reader:
    """An open list or timeline (edlcOpen): its list record and its handle, closed once by
    whoever comes first."""

    def __init__(self, path: PathLike, legacy: bool, shown: Optional[str] = None,
                 counting: int = 0) -> None:
        # Errors name the list as the host gave it, not a temporary copy of it.
        self.path: PathLike = shown if shown is not None else path
        self._library = converter()
        status = rec.edlcStatus()
        flags = (rec.EDLC_LEGACY if legacy else 0) | rec.EDLC_RATE(counting)
        handle = self._library.edlcOpen(file_name(path), flags, ctypes.byref(status))
        if not handle:
            raise failure(status, self.path)
        self._handle: Optional[object] = handle
        self.timeline = bool(self._library.edlcIsTimeline(handle))
        self.list = rec.EdlList.from_buffer_copy(self._library.edlcListRecord(handle).contents)
        self.mode = mode_of(self.list.dwTcMode)
        self._text = ctypes.create_string_buffer(rec.NAME_SIZE + 1)

    @property
    def list_type(self) -> Union[ListType, int]:
        if self.timeline:
            return ListType(rec.EDLC_TYPE_OTIO)
        return _list_type_of(self.list.dwListType)

    def records(self) -> Iterator[rec.EdlLineVB]:
        """Reads event after event into one record, which each step overwrites."""
        record = rec.EdlLineVB()
        status = rec.edlcStatus()
        while self._handle is not None:
            result = self._library.edlcNext(self._handle, ctypes.byref(record), ctypes.byref(status))
            if result == rec.EDLC_END:
                return
            if result != rec.EDLC_OK:
                raise failure(status, self.path)
            yield record

    def _returned(self, call: Callable[["ctypes.Array[ctypes.c_char]", int], int]) -> bytes:
        # The functions give the length of the whole text: a longer one is asked for again.
        length = call(self._text, len(self._text))
        if length >= len(self._text):
            self._text = ctypes.create_string_buffer(length + 1)
            call(self._text, len(self._text))
        return self._text.raw[:length]

    def events(self) -> Iterator[Event]:
        for record in self.records():
            event = ctypes.byref(record)
            clip = self._returned(lambda buffer, size: int(self._library.edlcClipName(
                self._handle, event, buffer, size)))
            source = self._returned(lambda buffer, size: int(self._library.edlcSourceFile(
                event, buffer, size)))
            yield _event_of(record, self.mode, clip, source)

    def close(self) -> None:
        handle, self._handle = self._handle, None
        if handle is not None:
            self._library.edlcClose(handle)


def _in_mode(event: Event, source: int, target: int) -> Event:
    # Positions relabelled, lengths scaled, as write() and convert --fcm carry them.
    times = {key: getattr(event, key).to_mode(target) for key in _TIMES}
    wipe_code = event.wipe_code
    if event.edit_type == "D" and event.effect_length == 0:
        # A dissolve's length sits in its wipe-code field when it gives no effect length.
        wipe_code = rescale(wipe_code, source, target)
    return dataclasses.replace(
        event, wipe_code=wipe_code, effect_length=rescale(event.effect_length, source, target),
        audio_offset=rescale(event.audio_offset, source, target), **times)


def _release(reader: "_Reader", source: Input) -> None:
    reader.close()
    source.close()


class OpenList:
    """A list open for reading, as ``open()`` gives it: its header at once, its events one
    at a time as it is iterated.

    ``path`` (the name given, or "<text>", "<bytes>", a stream's name), ``list_type``,
    ``title``, ``timecode_mode`` and ``frame_rate`` (those the events are shown in),
    ``source_mode`` (the mode the list says) and ``column_line`` are known when the list
    is opened. Iterating yields each event once, in list order, read as it is asked for;
    a second loop continues where the first stopped. ``close()`` (or leaving the ``with``
    block) releases the list and any temporary copy of it; iterating a closed list raises
    ValueError. A list that is never closed is released when it is garbage-collected.
    """

    def __init__(self, source: Source, rate: Optional[ModeLike] = None, *,
                 legacy: bool = False, name: Optional[str] = None, counting: int = 0) -> None:
        shown_mode = TimecodeMode.parse(rate) if rate is not None else None
        given = resolve(source, name)
        try:
            reader = _Reader(given.path, legacy, given.shown, counting)
        except BaseException:
            given.close()
            raise
        self._reader: Optional[_Reader] = reader
        self._closer = weakref.finalize(self, _release, reader, given)
        record = reader.list
        self.path: str = given.shown
        self.list_type: Union[ListType, int] = reader.list_type
        self.title: str = _text(record.szTitle)
        self.source_mode: Union[TimecodeMode, int] = reader.mode
        self.timecode_mode: Union[TimecodeMode, int] = reader.mode
        self.frame_rate: float = record.dwFrameRate / 100.0
        if shown_mode is not None and int(shown_mode) != int(reader.mode):
            self.timecode_mode = shown_mode
            self.frame_rate = shown_mode.frame_rate
        self.column_line: str = _text(record.szColumnLine)
        # Where the counting rate comes from, as the tool's JSON says it: the list names it
        # (a timeline's or log's rate, any mode but non-drop frame), or it is assumed.
        log = (record.dwListType in (2, 5, 46) or record.dwFlags & 0x40000000 != 0
               or record.dwFlags2 & 0x08000000 != 0)
        self.rate_source: str = ("given" if counting and not legacy else
                                 "list" if reader.timeline or log or record.dwTcMode & 0xFF != 2
                                 else "assumed")
        self._events = reader.events()

    def __iter__(self) -> Iterator[Event]:
        return self

    def __next__(self) -> Event:
        if self._reader is None:
            raise ValueError(f"{self.path}: the list is closed")
        event = next(self._events)
        if int(self.timecode_mode) != int(self.source_mode):
            return _in_mode(event, self.source_mode, self.timecode_mode)
        return event

    def close(self) -> None:
        """Releases the list's handle and removes a temporary copy; closing twice is fine."""
        self._reader = None
        self._closer()

    @property
    def closed(self) -> bool:
        return self._reader is None

    def __enter__(self) -> "OpenList":
        return self

    def __exit__(self, *_exception: object) -> None:
        self.close()


# Named after the builtin on purpose (edlbridge.open, as tarfile.open); this module uses no
# builtin open().
def open(source: Source, rate: Optional[ModeLike] = None, *, legacy: bool = False,
         name: Optional[str] = None, counting_rate: Optional[float] = None) -> OpenList:
    """Opens a list (or an OpenTimelineIO timeline) once and reads its events lazily.

    ``source`` is a path, list text (a str or bytes holding a line break; one that names
    an existing file or has no line break is a path), or a binary or text file object such
    as ``sys.stdin.buffer``. Text, bytes and streams are copied into a temporary file,
    removed when the list is closed; ``name`` is the name to show for them, and its suffix
    is kept (``name="log.csv"`` reads a CSV log as one).

    ``rate`` None shows times in the list's own mode. A mode or rate (``"pal"``, ``"25"``,
    ``29.97``, ``0x04``) shows them in that mode instead: positions are relabelled (hours,
    minutes and seconds kept, the frame number scaled) and lengths scaled, as ``convert
    --fcm`` carries them; ``source_mode`` keeps the list's own mode.

    ``counting_rate`` (23.976, 24, 25, 29.97, 30, 50, 59.94 or 60) is the rate the list
    counts at, as the tool's ``--rate`` and read()'s ``rate`` give it: its "FCM:" lines then
    say only drop or non-drop frame, and ``source_mode`` and ``rate_source`` ("given")
    follow it. Times are then shown in ``rate``'s mode when that is given too.

    >>> with edlbridge.open("film.edl", counting_rate=24) as cut:
    ...     print(cut.frame_rate, cut.rate_source)
    24.0 given

    >>> with edlbridge.open("cut.edl") as cut:
    ...     print(cut.list_type, cut.title, cut.timecode_mode)
    ...     for event in cut:
    ...         print(event.edit, event.reel, event.rec_in, event.duration)

    Raises OpenError, NotAListError (when opening), ReadError (while iterating), and
    ValueError for an unknown ``rate`` or a ``counting_rate`` no timecode counts at.
    """
    return OpenList(source, rate, legacy=legacy, name=name, counting=_counting_rate(counting_rate))


def _counting_rate(rate: Optional[float]) -> int:
    """A counting rate in frames a second (23.976, 24, 25, 29.97, 30, 50, 59.94, 60) in
    hundredths, as the library takes it; 0 for none."""
    if rate is None:
        return 0
    hundredths = {23.976: 2398, 23.98: 2398, 24: 2400, 25: 2500, 29.97: 2997, 30: 3000,
                  50: 5000, 59.94: 5994, 60: 6000}.get(float(rate))
    if hundredths is None:
        raise ValueError(f"no timecode counts at {rate} fps")
    return hundredths


def read(path: Source, *, legacy: bool = False, name: Optional[str] = None,
         rate: Optional[float] = None) -> EditList:
    """Reads a whole list, or an OpenTimelineIO timeline (a ".otio" file).

    ``path`` is what ``open()`` takes: a path, list text, bytes or a file object (with
    ``name`` to show for them). The list is read for interchange (every note, the whole
    clip name, the file it names) unless ``legacy`` is set, which reads with the library's
    documented derivations (ten-character clip names, comments run together). ``rate``
    (23.976, 24, 25, 29.97, 30, 50, 59.94 or 60) is the rate the list counts at, whatever
    its "FCM:" lines say beyond drop or non-drop frame. Raises OpenError, NotAListError or
    ReadError, and ValueError for a rate no timecode counts at.

    >>> cut = edlbridge.read(sys.stdin.buffer, name="cut.edl")
    """
    with OpenList(path, legacy=legacy, name=name, counting=_counting_rate(rate)) as listed:
        events = list(listed)
    return EditList(
        path=listed.path,
        list_type=listed.list_type,
        title=listed.title,
        timecode_mode=listed.timecode_mode,
        frame_rate=listed.frame_rate,
        column_line=listed.column_line,
        events=events,
        rate_source=listed.rate_source,
    )


def _list_type_of(value: int) -> Union[ListType, int]:
    try:
        return ListType(value)
    except ValueError:
        return value


def iter_events(path: PathLike, *, legacy: bool = False,
                rate: Optional[float] = None) -> Iterator[Event]:
    """The events of a list, read one at a time as the generator is advanced.

    Memory does not grow with the list. The list is opened at once (so OpenError and
    NotAListError are raised here) and closed when the events end, when the generator is
    closed, or when it is garbage-collected. ``rate`` is the rate the list counts at, as
    read() takes it (ValueError for a rate no timecode counts at).
    """
    reader = _Reader(path, legacy, counting=_counting_rate(rate))

    def events() -> Iterator[Event]:
        try:
            yield from reader.events()
        finally:
            reader.close()

    generator = events()
    # A generator that never started runs no finally clause: close the list when it goes.
    weakref.finalize(generator, reader.close)
    return generator


_DETECT_FORMATS = {"text": rec.EDLC_FORMAT_TEXT, "json": rec.EDLC_FORMAT_JSON}


@overload
def detect(path: PathLike, *, format: None = None) -> Union[ListType, int]: ...


@overload
def detect(path: PathLike, *, format: str) -> str: ...


def detect(path: PathLike, *, format: Optional[str] = None) -> Union[ListType, int, str]:
    """The list type the library detects in a file, without reading its events; for a
    timeline, ListType.OTIO.

    With ``format`` ("text" or "json") the summary ``edlbridge detect`` prints instead:
    file, type, title, mode, column line and the number of events (which reads them).
    """
    if format is None:
        reader = _Reader(path, legacy=False)
        reader.close()
        return reader.list_type
    if format not in _DETECT_FORMATS:
        raise ValueError(f"no such format {format!r} (text or json)")
    host = Host()
    status = rec.edlcStatus()
    options = host.options(format=_DETECT_FORMATS[format])
    result = converter().edlcDetect(file_name(path), ctypes.byref(options), ctypes.byref(status))
    host.finish(result, status, path)
    return host.text()


class _Writer:
    """A list open for writing; on any failure the partial file is removed."""

    def __init__(self, path: PathLike, list_record: rec.EdlList) -> None:
        self.path = path
        self._name = os.fsencode(path)
        if len(self._name) > rec.MAX_PATH_LENGTH:
            raise WriteError(path, "cannot create: file name too long")
        if not self._name:
            raise WriteError(path, f"cannot create: {os.strerror(errno.ENOENT)}")
        self._library = library()
        ctypes.set_errno(0)
        self._handle = self._library.edlOpen(
            self._name, None, rec.EDL_OPEN_WRITE, ctypes.byref(list_record))
        if not self._handle:
            error = ctypes.get_errno()
            raise WriteError(path, f"cannot create: {os.strerror(error)}" if error else "cannot create")

    def write(self, record: rec.EdlLineVB) -> None:
        result = self._library.edlWriteLineVB(self._handle, ctypes.byref(record))
        if result != rec.EDL_OK:
            self.abandon()
            raise WriteError(self.path, f"write failed (result 0x{result:X})")

    def finish(self) -> None:
        handle, self._handle = self._handle, None
        # The close result tells whether every byte reached the file.
        if self._library.edlClose(handle) != 0:
            self._remove()
            raise WriteError(self.path, "write failed")

    def abandon(self) -> None:
        handle, self._handle = self._handle, None
        if handle:
            self._library.edlClose(handle)
        self._remove()

    def _remove(self) -> None:
        # Only a file the list was written into goes: a device (a full /dev/full) stays.
        try:
            if stat.S_ISREG(os.stat(self._name).st_mode):
                os.remove(self._name)
        except OSError:
            pass


def _writable(list_type: TypeLike, path: PathLike) -> ListType:
    try:
        parsed = ListType.parse(list_type)
    except ValueError:
        raise UnknownListTypeError(path, f"unknown list type {list_type!r}") from None
    if not parsed.writable:
        raise UnknownListTypeError(path, f"list type '{parsed.label}' cannot be written")
    return parsed


def _mode(mode: ModeLike, path: PathLike) -> TimecodeMode:
    try:
        return TimecodeMode.parse(mode)
    except (ValueError, TypeError) as error:
        raise ValueError(f"{os.fsdecode(path)}: {error}") from None


def _list_record(list_type: ListType, mode: int, legacy: bool) -> rec.EdlList:
    record = rec.EdlList()
    rec.clear(record)
    library().edlInitEdlListStruct(ctypes.byref(record))
    record.dwListType = list_type
    if not legacy:
        record.dwFlags |= rec.EDL_LF_INTERCHANGE
    record.dwTcMode = mode
    return record


def _frames(time: Time, mode: int) -> int:
    if isinstance(time, Timecode):
        return relabel(time.frames, time.mode, mode)
    if not 0 <= time <= 0xFFFFFFFF:
        raise ValueError(f"frame count {time} does not fit 32 bits")
    return time


def _mode_of_event(event: Event, default: int) -> int:
    for time in (event.src_in, event.src_out, event.rec_in, event.rec_out):
        if isinstance(time, Timecode):
            return time.mode
    return default


def _signed32(value: int) -> int:
    return (value + 0x80000000) % 0x100000000 - 0x80000000


def _fill(record: rec.EdlLineVB, event: Event, mode: int) -> None:
    rec.clear(record)
    source_mode = _mode_of_event(event, mode)
    present = 0
    line_flags = rec.EDL_LINE_DROP_FRAME if drops_frames(mode) else 0
    if event.edit:
        record.dwEditNum = event.edit
        present |= rec.EDL_P_EDIT_NUMBER
    record.dwVideoTracks = _track_mask(event.video_tracks, "V")
    record.dwAudioTracks = _track_mask(event.audio_tracks, "A")
    record.chEditType = _bytes(event.edit_type)[:1] or b"C"
    if event.edit_type == "D" and event.effect_length == 0:
        record.dwWipeCode = rescale(event.wipe_code, source_mode, mode) & 0xFFFFFFFF
    else:
        record.dwWipeCode = event.wipe_code & 0xFFFFFFFF
    record.dwEffectLen = rescale(event.effect_length, source_mode, mode) & 0xFFFFFFFF
    record.dwSrcIn = _frames(event.src_in, mode)
    record.dwSrcOut = _frames(event.src_out, mode)
    record.dwRecIn = _frames(event.rec_in, mode)
    record.dwRecOut = _frames(event.rec_out, mode)
    record.dwMarkIn = _frames(event.mark_in, mode)
    record.dwMarkOut = _frames(event.mark_out, mode)
    record.lAudioOffset = _signed32(rescale(event.audio_offset, source_mode, mode))
    clip = _bytes(event.clip_name)
    record.achReel = rec.cut(_bytes(event.reel), rec.REEL_SIZE)
    record.achClipName = rec.cut(clip, rec.CLIPNAME_SIZE)
    if clip:
        present |= rec.EDL_P_CLIP_NAME
    # The name text holds the file when there is one, else the whole clip name.
    if event.source_file:
        record.achName = rec.cut(_bytes(event.source_file), rec.NAME_SIZE)
        present |= rec.EDL_P_FILE_NAME
    else:
        record.achName = rec.cut(clip, rec.NAME_SIZE)
    notes = [_bytes(note) for note in event.notes]
    if (event.source_file and len(clip) >= rec.CLIPNAME_SIZE
            and not _names_clip(notes, clip, record.chEditType)):
        # The record holds ten characters of the name besides the file: a longer name goes
        # into a note, where lists read for interchange carry it (after an "AUD" line).
        notes.insert(1 if notes and notes[0][:3].upper() == b"AUD" else 0,
                     b"FROM CLIP NAME: " + clip)
    record.achComment = rec.cut(b"\n".join(notes), rec.COMMENT_SIZE)
    record.achLine = rec.cut(_bytes(event.raw_line), rec.LINE_SIZE)
    record.szEffectText = rec.cut(_bytes(event.effect_text), rec.EFFECT_TEXT_SIZE)
    if event.clip_event:
        present |= rec.EDL_P_CLIP_EVENT
        line_flags |= rec.EDL_LINE_CLIP
    record.dwPresent = present
    record.dwLineFlags = line_flags


def write(path: PathLike, events: Iterable[Event], list_type: TypeLike, *,
          timecode_mode: Optional[ModeLike] = None, title: str = "",
          legacy: bool = False) -> int:
    """Writes events as a list of list_type (a ListType, its value or its tool name).

    The list's timecode mode is ``timecode_mode`` (a TimecodeMode, its value or its tool
    name), by default the mode of the first event's times. Times in another mode are
    relabelled: hours, minutes and seconds stay, frame numbers are scaled; effect lengths
    and audio offsets are scaled with them. Plain integers are frame counts in the list's
    mode. Unless ``legacy`` is set the list is written for interchange (event numbers,
    transitions and every note kept). ``events`` may be any iterable, a generator too.

    CMX lists (the types whose header is "cmx") give a dissolve, wipe or key as two lines
    under one edit number: a cut of no length of the outgoing clip, then the transition to
    the incoming one. A transition whose event before it is not that cut gets it written
    before it: the previous event's reel held at its source out (black, "BL", before the
    first event), at the transition's record in, on its tracks, under its edit number.
    Events without a number are then numbered by their place among the events given, the
    added cuts not counted. Events read from a list (those with a ``raw_line``) are
    written as the list gave them, with or without that cut::

        edlbridge.write("fade.edl", [
            Event(edit=1, reel="A", video_tracks=[1], ...),
            Event(edit=2, reel="B", video_tracks=[1], edit_type="D", wipe_code=30, ...),
        ], "cmx3600")
        # 002  A  V  C  (A's source out twice, B's record in twice), then 002  B  V  D  030

    Returns the number of events written, the added cuts among them. Raises
    UnknownListTypeError, WriteError, and
    ValueError or TypeError for an event that cannot be written; no file is left then.
    """
    chosen = _writable(list_type, path)
    if chosen == rec.EDLC_TYPE_OTIO:
        # The records library writes lists; timelines are written by convert().
        raise UnknownListTypeError(path, "list type 'otio' cannot be written from events")
    remaining = iter(events)
    first = next(remaining, None)
    mode: int = TimecodeMode(rec.EDL_TC_DF)
    if timecode_mode is not None:
        mode = _mode(timecode_mode, path)
    elif first is not None:
        mode = _mode_of_event(first, mode)
    list_record = _list_record(chosen, mode, legacy)
    list_record.dwFrameRate = frame_rate_of(mode)
    list_record.szTitle = rec.cut(_bytes(title), rec.TITLE_SIZE)
    events = itertools.chain([] if first is None else [first], remaining)
    if chosen.header_form == "cmx":
        events = _with_outgoing_cuts(events, mode)
    return _write_all(_Writer(path, list_record), events,
                      lambda record, event: _fill(record, event, mode))


_TRANSITIONS = ("D", "W", "K")


def _gives_outgoing(previous: Optional[Event], event: Event, mode: int) -> bool:
    # The line before a transition is its outgoing side when it is a cut of no length at
    # the transition's record in, under the same edit number.
    if previous is None or previous.edit_type != "C" or previous.edit != event.edit:
        return False
    at = _frames(event.rec_in, mode)
    return _frames(previous.rec_in, mode) == at and _frames(previous.rec_out, mode) == at


def _outgoing_cut(previous: Optional[Event], event: Event, edit: int) -> Event:
    # The clip that plays into the transition, held at the frame where it stopped; before
    # the first event that is black ("BL"), as CMX lists fade in from it.
    start: Time = previous.src_out if previous is not None else 0
    if isinstance(event.rec_in, Timecode) and isinstance(start, int):
        start = Timecode(start, event.rec_in.mode)
    return Event(edit=edit, reel=previous.reel if previous is not None else "BL",
                 video_tracks=list(event.video_tracks), audio_tracks=list(event.audio_tracks),
                 edit_type="C", src_in=start, src_out=start, rec_in=event.rec_in,
                 rec_out=event.rec_in)


def _with_outgoing_cuts(events: Iterable[Event], mode: int) -> Iterator[Event]:
    """The events, each dissolve, wipe or key preceded by the outgoing cut CMX reads it
    with, unless the event before it is that cut already."""
    previous: Optional[Event] = None
    given = 0
    added = 0
    for event in events:
        # An event read from a list (it has its line) is written as the list gave it: lists
        # that leave a transition's outgoing side to the event before it stay as they are.
        needs_cut = (event.edit_type in _TRANSITIONS and not event.raw_line
                     and not _gives_outgoing(previous, event, mode))
        if not event.edit and (needs_cut or added):
            # The library numbers an event without a number by the lines written before
            # it; the added cuts are no events of their own, so they are not counted.
            event = dataclasses.replace(event, edit=given + 1)
        if needs_cut:
            yield _outgoing_cut(previous, event, event.edit)
            added += 1
        yield event
        given += 1
        previous = event


def _write_all(writer: _Writer, items: Iterable[Event],
               fill: Callable[[rec.EdlLineVB, Event], None]) -> int:
    # Every item through one record; a failure on the way leaves no list behind.
    record = rec.EdlLineVB()
    count = 0
    try:
        for item in items:
            fill(record, item)
            writer.write(record)
            count += 1
    except BaseException:
        writer.abandon()
        raise
    writer.finish()
    return count


def convert(src: PathLike, dst: PathLike, list_type: TypeLike, *,
            timecode_mode: Optional[ModeLike] = None, title: Optional[str] = None,
            legacy: bool = False, rate: Optional[float] = None,
            record_start: Optional[str] = None) -> int:
    """Reads the list or timeline src and writes its events into dst as a list of
    list_type, or as an OpenTimelineIO timeline (``"otio"``).

    Does what ``edlbridge convert`` does and writes the same bytes: ``timecode_mode``
    changes the mode (times keep their hours, minutes and seconds, frame numbers are
    scaled), ``title`` replaces the title, ``legacy`` reads and writes with the library's
    documented derivations, ``rate`` is the rate src counts at (as read() takes it), and
    ``record_start`` ('HH:MM:SS:FF') where the events of a log without record times start
    (01:00:00:00 when not given). Lists stream from one file into the other, so lists of any
    length convert in little memory; timelines are read and written whole. dst ``"-"`` is
    standard output. Returns the number of events. Raises the errors of read() and write();
    dst is not left behind when a step fails, and is never src itself. What a timeline
    cannot carry is given as an EdlWarning.
    """
    chosen = _writable(list_type, dst)
    mode = _mode(timecode_mode, dst) if timecode_mode is not None else 0
    library = converter()
    source, target = file_name(src), file_name(dst)
    if library.edlcSameFile(source, target):
        raise WriteError(dst, "would overwrite the input list")
    host = Host(sys.stdout.buffer if target == b"-" else None)
    options = host.options(
        flags=(rec.EDLC_LEGACY if legacy else 0) | rec.EDLC_RATE(_counting_rate(rate)),
        listType=chosen, tcMode=mode, title=None if title is None else _bytes(title),
        recordStart=None if record_start is None else _bytes(record_start))
    count = ctypes.c_size_t(0)
    status = rec.edlcStatus()
    result = library.edlcConvert(source, target, ctypes.byref(options), ctypes.byref(count),
                                 ctypes.byref(status))
    host.finish(result, status, src, output=dst)
    return count.value
