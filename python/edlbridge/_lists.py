"""Reading, writing and converting lists through the library's C interface.

Every call opens its own handle and uses its own records, so calls may run in several
threads at once (ctypes lets go of the interpreter lock while the library works).

Texts are bytes in the files. They are decoded as UTF-8, and bytes that are no UTF-8
become surrogates ('surrogateescape'), so writing a text read from a list gives back its
bytes. The edlbridge tool shows those bytes as U+FFFD instead.
"""

import ctypes
import errno
import itertools
import os
import stat
import weakref
from dataclasses import dataclass, field
from typing import Iterable, Iterator, List, Optional, Union

from . import _records as rec
from ._errors import (
    NotAListError,
    OpenError,
    PathLike,
    ReadError,
    UnknownListTypeError,
    WriteError,
)
from ._library import library
from ._list_types import ListType
from ._timecode import (
    Timecode,
    TimecodeMode,
    drops_frames,
    frame_rate_of,
    mode_of,
    relabel,
    rescale,
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


def _full_clip_name(clip: bytes, name: bytes, present: int, edit_type: bytes,
                    notes: List[bytes]) -> bytes:
    # The name text holds the whole clip name unless it holds the file; then a name longer
    # than the record's ten characters is in a "FROM CLIP NAME:" note (on the incoming side
    # of a transition, "TO CLIP NAME:") that begins with those ten characters.
    if not present & rec.EDL_P_FILE_NAME and name:
        return name
    if not present & rec.EDL_P_CLIP_NAME:
        return clip
    transition = edit_type in (b"D", b"W", b"K")
    for keyword in (b"TO CLIP NAME:", b"FROM CLIP NAME:"):
        if keyword.startswith(b"TO") and not transition:
            continue
        for line in notes:
            if line[: len(keyword)].upper() != keyword:
                continue
            candidate = line[len(keyword):].strip(b" \t")
            if candidate and candidate.startswith(clip):
                return candidate
    return clip


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

    def __iter__(self) -> Iterator[Event]:
        return iter(self.events)

    def __len__(self) -> int:
        return len(self.events)


def _event_of(record: rec.EdlLineVB, mode: Union[TimecodeMode, int], interchange: bool) -> Event:
    clip = record.achClipName
    name = record.achName
    comment = record.achComment
    present = record.dwPresent
    edit_type = record.chEditType
    notes = _note_lines(comment)
    whole = _full_clip_name(clip, name, present, edit_type, notes) if interchange else clip
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
        clip_name=_text(whole),
        source_file=_text(name) if present & rec.EDL_P_FILE_NAME and name else None,
        notes=[_text(line) for line in notes],
        raw_line=_text(record.achLine),
        effect_text=_text(record.szEffectText),
        clip_event=bool(present & rec.EDL_P_CLIP_EVENT or record.dwLineFlags & rec.EDL_LINE_CLIP),
    )


class _Reader:
    """An open list: its list record and its handle, closed once by whoever comes first."""

    def __init__(self, path: PathLike, legacy: bool) -> None:
        self.path = path
        self.interchange = not legacy
        name = os.fsencode(path)
        _check_readable(path, name)
        self._library = library()
        self.list = rec.EdlList()
        rec.clear(self.list)
        self._library.edlInitEdlListStruct(ctypes.byref(self.list))
        if self.interchange:
            self.list.dwFlags |= rec.EDL_LF_INTERCHANGE
        self._handle = self._library.edlOpen(name, None, rec.EDL_OPEN_READ, ctypes.byref(self.list))
        if not self._handle:
            self._handle = None
            raise NotAListError(path, "not a list edlbridge can read")
        self.mode = mode_of(self.list.dwTcMode)

    def records(self) -> Iterator[rec.EdlLineVB]:
        """Reads event after event into one record, which each step overwrites."""
        record = rec.EdlLineVB()
        while self._handle is not None:
            rec.clear(record)
            result = self._library.edlReadLineVB(self._handle, ctypes.byref(record))
            if result in (rec.EDL_END_OF_LIST, rec.EDL_NO_LINE):
                return
            if result != rec.EDL_OK:
                raise ReadError(self.path, f"read failed (result 0x{result:X})")
            yield record

    def events(self) -> Iterator[Event]:
        for record in self.records():
            yield _event_of(record, self.mode, self.interchange)

    def close(self) -> None:
        handle, self._handle = self._handle, None
        if handle is not None:
            self._library.edlClose(handle)


def _check_readable(path: PathLike, name: bytes) -> None:
    # What the tool checks before it opens a list: the library would take a folder, a pipe
    # or a device for a file, and detection seeks back in the file.
    def cannot(reason: str) -> OpenError:
        return OpenError(path, f"cannot open: {reason}")

    if not name:
        raise cannot(os.strerror(errno.ENOENT))
    try:
        info = os.stat(name)
    except OSError as error:
        raise cannot(os.strerror(error.errno)) from None
    if stat.S_ISDIR(info.st_mode):
        raise cannot("is a directory")
    if not stat.S_ISREG(info.st_mode):
        raise cannot("not a regular file")
    if len(name) > rec.MAX_PATH_LENGTH:
        raise cannot("file name too long")
    try:
        open(name, "rb").close()
    except OSError as error:
        raise cannot(os.strerror(error.errno)) from None


def read(path: PathLike, *, legacy: bool = False) -> EditList:
    """Reads a whole list.

    The list is read for interchange (every note, the whole clip name, the file it names)
    unless ``legacy`` is set, which reads with the library's documented derivations
    (ten-character clip names, comments run together). Raises OpenError, NotAListError or
    ReadError.
    """
    reader = _Reader(path, legacy)
    try:
        events = list(reader.events())
    finally:
        reader.close()
    record = reader.list
    return EditList(
        path=os.fsdecode(path),
        list_type=_list_type_of(record.dwListType),
        title=_text(record.szTitle),
        timecode_mode=reader.mode,
        frame_rate=record.dwFrameRate / 100.0,
        column_line=_text(record.szColumnLine),
        events=events,
    )


def _list_type_of(value: int) -> Union[ListType, int]:
    try:
        return ListType(value)
    except ValueError:
        return value


def iter_events(path: PathLike, *, legacy: bool = False) -> Iterator[Event]:
    """The events of a list, read one at a time as the generator is advanced.

    Memory does not grow with the list. The list is opened at once (so OpenError and
    NotAListError are raised here) and closed when the events end, when the generator is
    closed, or when it is garbage-collected.
    """
    reader = _Reader(path, legacy)

    def events() -> Iterator[Event]:
        try:
            yield from reader.events()
        finally:
            reader.close()

    generator = events()
    # A generator that never started runs no finally clause: close the list when it goes.
    weakref.finalize(generator, reader.close)
    return generator


def detect(path: PathLike) -> Union[ListType, int]:
    """The list type the library detects in a file, without reading its events."""
    reader = _Reader(path, legacy=False)
    reader.close()
    return _list_type_of(reader.list.dwListType)


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
    if event.source_file and len(clip) >= rec.CLIPNAME_SIZE:
        # The record holds ten characters of the name besides the file: a longer name goes
        # into a note, where lists read for interchange carry it (after an "AUD" line).
        head = rec.cut(clip, rec.CLIPNAME_SIZE)
        named = _full_clip_name(head, b"", rec.EDL_P_FILE_NAME | rec.EDL_P_CLIP_NAME,
                                record.chEditType, notes)
        if named != clip:
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

    Returns the number of events written. Raises UnknownListTypeError, WriteError, and
    ValueError or TypeError for an event that cannot be written; no file is left then.
    """
    chosen = _writable(list_type, path)
    remaining = iter(events)
    first = next(remaining, None)
    if timecode_mode is not None:
        mode = _mode(timecode_mode, path)
    else:
        mode = _mode_of_event(first, TimecodeMode.DF) if first is not None else TimecodeMode.DF
    list_record = _list_record(chosen, mode, legacy)
    list_record.dwFrameRate = frame_rate_of(mode)
    list_record.szTitle = rec.cut(_bytes(title), rec.TITLE_SIZE)
    events = itertools.chain([] if first is None else [first], remaining)
    return _write_all(_Writer(path, list_record), events,
                      lambda record, event: _fill(record, event, mode))


def _write_all(writer: "_Writer", items: Iterable, fill) -> int:
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


def _same_file(a: PathLike, b: PathLike) -> bool:
    try:
        first, second = os.stat(a), os.stat(b)
    except OSError:
        return False
    return (first.st_dev, first.st_ino) == (second.st_dev, second.st_ino)


def _copy_converted(out: rec.EdlLineVB, event: rec.EdlLineVB, source: int, target: int,
                    list_type: ListType) -> None:
    # Every field the writers use, times in the new mode; the rest stays clear.
    rec.clear(out)
    out.dwEditNum = event.dwEditNum
    out.dwSrcIn = relabel(event.dwSrcIn, source, target)
    out.dwSrcOut = relabel(event.dwSrcOut, source, target)
    out.dwRecIn = relabel(event.dwRecIn, source, target)
    out.dwRecOut = relabel(event.dwRecOut, source, target)
    out.dwMarkIn = relabel(event.dwMarkIn, source, target)
    out.dwMarkOut = relabel(event.dwMarkOut, source, target)
    out.lAudioOffset = _signed32(rescale(event.lAudioOffset, source, target))
    out.dwVideoTracks = event.dwVideoTracks
    out.dwAudioTracks = event.dwAudioTracks
    out.chEditType = event.chEditType
    # A dissolve read from 'D 030' holds its length as its number: a length too.
    if event.chEditType == b"D" and event.dwEffectLen == 0:
        out.dwWipeCode = rescale(event.dwWipeCode, source, target) & 0xFFFFFFFF
    else:
        out.dwWipeCode = event.dwWipeCode
    out.dwEffectLen = rescale(event.dwEffectLen, source, target) & 0xFFFFFFFF
    out.dwPresent = event.dwPresent
    flags = event.dwLineFlags & ~rec.EDL_LINE_DROP_FRAME
    if drops_frames(target):
        flags |= rec.EDL_LINE_DROP_FRAME
    # The clip list writes only clip events: converting into it makes each event a clip.
    if list_type == ListType.XJT_CLIP:
        flags |= rec.EDL_LINE_CLIP
    out.dwLineFlags = flags
    out.achReel = event.achReel
    out.achClipName = event.achClipName
    out.achName = event.achName
    out.achComment = event.achComment
    out.szEffectText = rec.cut(event.szEffectText, rec.EFFECT_TEXT_SIZE)
    out.achLine = event.achLine


def convert(src: PathLike, dst: PathLike, list_type: TypeLike, *,
            timecode_mode: Optional[ModeLike] = None, title: Optional[str] = None,
            legacy: bool = False) -> int:
    """Reads the list src and writes its events into dst as a list of list_type.

    Does what ``edlbridge convert`` does and writes the same bytes: ``timecode_mode``
    changes the mode (times keep their hours, minutes and seconds, frame numbers are
    scaled), ``title`` replaces the title, ``legacy`` reads and writes with the library's
    documented derivations. Events stream from one list into the other, so lists of any
    length convert in little memory. Returns the number of events. Raises the errors of
    read() and write(); dst is not left behind when a step fails, and is never src
    itself.
    """
    chosen = _writable(list_type, dst)
    reader = _Reader(src, legacy)
    try:
        if _same_file(src, dst):
            raise WriteError(dst, "would overwrite the input list")
        from_mode = reader.list.dwTcMode & 0xFF or TimecodeMode.DF
        to_mode = _mode(timecode_mode, dst) if timecode_mode is not None else from_mode
        list_record = _list_record(chosen, to_mode, legacy)
        read_list = reader.list
        list_record.dwFrameRate = read_list.dwFrameRate
        list_record.dwAudioKHz = read_list.dwAudioKHz
        list_record.szTitle = (rec.cut(_bytes(title), rec.TITLE_SIZE) if title is not None
                               else rec.cut(read_list.szTitle, rec.TITLE_SIZE))
        list_record.szTape = rec.cut(read_list.szTape, rec.NAME65_SIZE)
        list_record.szDefReel = rec.cut(read_list.szDefReel, rec.NAME65_SIZE)
        list_record.szListName = rec.cut(read_list.szListName, rec.NAME65_SIZE)
        return _write_all(
            _Writer(dst, list_record), reader.records(),
            lambda out, event: _copy_converted(out, event, from_mode, to_mode, chosen))
    finally:
        reader.close()
