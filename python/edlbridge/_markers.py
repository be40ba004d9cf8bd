"""Markers and grades around a cut: the markers of marker lists, lists and timelines, and the
ASC CDL grades of graded events, read as values and written in each form the library knows."""

import ctypes
import json
from dataclasses import dataclass
from typing import Any, Dict, Iterable, List, Mapping, Optional, Tuple, Union, overload

from . import _records as rec
from ._calls import Host, decoded, file_name
from ._errors import PathLike
from ._library import converter
from ._lists import _bytes, _counting_rate
from ._timecode import TimecodeMode

Rate = Union[TimecodeMode, str, int, float]

_MARKER_FORMATS = {
    "json": rec.EDLC_FORMAT_JSON,
    "avid": rec.EDLC_FORMAT_AVID,
    "csv": rec.EDLC_FORMAT_CSV,
    "edl": rec.EDLC_FORMAT_EDL,
    "loc": rec.EDLC_FORMAT_LOC,
    "notes": rec.EDLC_FORMAT_NOTES,
}
_CDL_FORMATS = {"cdl": rec.EDLC_FORMAT_CDL, "cc": rec.EDLC_FORMAT_CC, "ccc": rec.EDLC_FORMAT_CCC}
_CDL_IDS = {"clip": 0, "reel": rec.EDLC_ID_REEL, "event": rec.EDLC_ID_EVENT}


@dataclass(frozen=True)
class Marker:
    """One marker: its record time (``timecode`` text and ``frames``), track ("V1", "" when
    the list names none), colour (OpenTimelineIO's name, or the word as written), name,
    comment and duration in frames."""

    timecode: str
    frames: int
    track: str = ""
    colour: str = ""
    name: str = ""
    comment: str = ""
    duration: int = 1


Triple = Tuple[float, float, float]


@dataclass(frozen=True)
class Grade:
    """The ASC CDL grade of one event: its id (clip name, reel or event number, made
    unique), event number, clip name and reel, and its values (None where the list gives
    no ASC_SOP, or no ASC_SAT)."""

    id: str
    slope: Optional[Triple] = None
    offset: Optional[Triple] = None
    power: Optional[Triple] = None
    saturation: Optional[float] = None
    event: int = 0
    clip: str = ""
    reel: str = ""


def _mode_of(rate: Optional[Rate]) -> int:
    return 0 if rate is None else int(TimecodeMode.parse(rate))


def _choice(table: Mapping[str, int], value: str, what: str) -> int:
    if value not in table:
        raise ValueError(f"no such {what} {value!r} ({', '.join(table)})")
    return table[value]


def _triple(values: Any) -> Optional[Triple]:
    if values is None:
        return None
    first, second, third = (float(value) for value in values)
    return (first, second, third)


def markers(path: PathLike, rate: Optional[Rate] = None) -> List[Marker]:
    """The markers of the file ``path``: a marker list (the editing system's tab-separated
    export, a "Timeline Bookmarks" CSV, a review service's notes CSV), or the "LOC:" and
    grading-system marker notes of any list or timeline. ``rate`` (a TimecodeMode, a rate
    such as 25 or "29.97", or a mode name) is the rate of a marker list's timecodes; lists
    and timelines are moved into it. Raises OpenError or NotAListError for a file that
    cannot be read."""
    text = _write_markers(path, b"-", "json", _mode_of(rate), None)
    assert isinstance(text, str)
    return [Marker(**entry) for entry in json.loads(text)["markers"]]


def _write_markers(source: PathLike, target: bytes, format: str, mode: int,
                   data: Optional[bytes]) -> Union[str, int]:
    chosen = _choice(_MARKER_FORMATS, format, "format")
    host = Host()
    options = host.options(format=chosen, tcMode=mode)
    count = ctypes.c_size_t(0)
    status = rec.edlcStatus()
    library = converter()
    if data is None:
        result = library.edlcMarkers(file_name(source), target, ctypes.byref(options),
                                     ctypes.byref(count), ctypes.byref(status))
    else:
        result = library.edlcWriteMarkers(data, target, ctypes.byref(options),
                                          ctypes.byref(count), ctypes.byref(status))
    host.finish(result, status, source, output=decoded(target))
    return host.text() if target == b"-" else count.value


def _marker_json(values: Iterable[Union[Marker, Mapping[str, Any]]]) -> bytes:
    entries: List[Dict[str, Any]] = []
    for value in values:
        entry = dict(value.__dict__) if isinstance(value, Marker) else dict(value)
        entries.append(entry)
    return json.dumps({"markers": entries}).encode("utf-8", "surrogateescape")


@overload
def write_markers(values: Iterable[Union[Marker, Mapping[str, Any]]], output: None = None,
                  format: str = "json", rate: Optional[Rate] = None) -> str: ...


@overload
def write_markers(values: Iterable[Union[Marker, Mapping[str, Any]]], output: PathLike,
                  format: str = "json", rate: Optional[Rate] = None) -> int: ...


def write_markers(values: Iterable[Union[Marker, Mapping[str, Any]]],
                  output: Optional[PathLike] = None, format: str = "json",
                  rate: Optional[Rate] = None) -> Union[str, int]:
    """Writes markers (Marker values, or mappings with their fields: ``timecode`` or
    ``frames``, the others optional) as ``format``: "json", "avid", "csv" (the "Timeline
    Bookmarks" CSV), "edl" (the grading system's marker EDL), "loc" or "notes" (a review
    notes CSV). Timecodes are read at ``rate`` (by default from their texts). Returns the
    text when ``output`` is None, else writes the file and returns the number of markers."""
    target = file_name(output) if output is not None else b"-"
    return _write_markers("markers", target, format, _mode_of(rate), _marker_json(values))


def cdl(path: PathLike, id: str = "clip", *, rate: Optional[float] = None,
        record_start: Optional[str] = None) -> List[Grade]:
    """The grades of the list or timeline ``path``: one per event with "ASC_SOP" or
    "ASC_SAT" notes (or ASC_SOP and ASC_SAT log columns), identified by ``id`` ("clip",
    "reel" or "event"), the values as numbers. ``rate`` and ``record_start`` read the list
    as ``edlbridge cdl --rate --record-start`` does (see read() and convert())."""
    host = Host()
    options = host.options(
        format=rec.EDLC_FORMAT_JSON,
        flags=_choice(_CDL_IDS, id, "id") | rec.EDLC_RATE(_counting_rate(rate)),
        recordStart=None if record_start is None else _bytes(record_start))
    count = ctypes.c_size_t(0)
    status = rec.edlcStatus()
    result = converter().edlcCdl(file_name(path), None, ctypes.byref(options),
                                 ctypes.byref(count), ctypes.byref(status))
    host.finish(result, status, path)
    grades = []
    for entry in json.loads(host.text())["corrections"]:
        grades.append(Grade(id=entry["id"], slope=_triple(entry.get("slope")),
                            offset=_triple(entry.get("offset")),
                            power=_triple(entry.get("power")),
                            saturation=(float(entry["saturation"]) if "saturation" in entry
                                        else None),
                            event=entry["event"], clip=entry["clip"], reel=entry["reel"]))
    return grades


def write_cdl(grades: Iterable[Union[Grade, Mapping[str, Any]]], directory: PathLike,
              format: str = "cdl", name: str = "grades") -> int:
    """Writes grades (Grade values, or mappings with ``id`` and the values) into
    ``directory``: one ColorDecisionList (``format="cdl"``) or ColorCorrection ("cc") file
    per grade, named by its id, or one ColorCorrectionCollection "<name>.ccc" ("ccc").
    Returns the number of grades written."""
    entries: List[Dict[str, Any]] = []
    for grade in grades:
        values = dict(grade.__dict__) if isinstance(grade, Grade) else dict(grade)
        entries.append({key: value for key, value in values.items() if value is not None})
    data = json.dumps({"corrections": entries}).encode("utf-8", "surrogateescape")
    host = Host()
    chosen = _choice(_CDL_FORMATS, format, "format")
    options = host.options(format=chosen, name=file_name(name))
    count = ctypes.c_size_t(0)
    status = rec.edlcStatus()
    result = converter().edlcWriteCdl(data, file_name(directory), ctypes.byref(options),
                                      ctypes.byref(count), ctypes.byref(status))
    host.finish(result, status, directory)
    return count.value
