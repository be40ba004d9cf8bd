"""The libraries' records and codes as edlbridge.h and edlconvert.h declare them.

The records of edlbridge.h cross the C interface with 4-byte packing: no field is aligned
beyond four bytes, so the pointers of an event record sit at offset 36. ctypes'
``_pack_ = 4`` gives the same layout. The records of edlconvert.h have the platform's own
alignment. The tests compare every offset with the headers'.
"""

import ctypes
from ctypes import (
    CFUNCTYPE,
    c_char,
    c_char_p,
    c_int,
    c_int32,
    c_int64,
    c_size_t,
    c_uint8,
    c_uint32,
    c_uint64,
    c_void_p,
)

# Capacities of the texts, terminator included.
TITLE_SIZE = 4123
NAME65_SIZE = 65
COLUMN_LINE_SIZE = 4097
CLIPNAME_SIZE = 11
NAME_SIZE = 4099
COMMENT_SIZE = 4609
REEL_SIZE = 65
LINE_SIZE = 4609
EFFECT_TEXT_SIZE = 64

# Result codes.
EDL_OK = 0

# edlOpen modes: the module writes through edlbridge, and reads through edlconvert.
EDL_OPEN_WRITE = 1

# List flags.
EDL_LF_INTERCHANGE = 0x01000000

# Timecode modes the module names itself: the mode of times that give none.
EDL_TC_DF = 0x04

# Event flags B (dwPresent) and A (dwLineFlags).
EDL_P_CLIP_EVENT = 0x100
EDL_P_EDIT_NUMBER = 0x100000
EDL_P_CLIP_NAME = 0x200000
EDL_P_FILE_NAME = 0x1000000
EDL_LINE_CLIP = 0x100
EDL_LINE_DROP_FRAME = 0x40000000

# File names the library keeps are at most this long.
MAX_PATH_LENGTH = 4099


class EdlList(ctypes.Structure):
    """List record: describes a whole list."""

    _pack_ = 4
    _fields_ = [
        ("dwListType", c_uint32),
        ("dwFlags", c_uint32),
        ("dwFlags2", c_uint32),
        ("dwTcMode", c_uint32),
        ("dwCurTcMode", c_uint32),
        ("dwFrameRate", c_uint32),
        ("dwAudioKHz", c_uint32),
        ("dwHasColumnMap", c_uint32),
        ("adwColumns", c_uint32 * 17),
        ("szTitle", c_char * TITLE_SIZE),
        ("szTape", c_char * NAME65_SIZE),
        ("dwUserTag", c_uint32),
        ("szDefReel", c_char * NAME65_SIZE),
        ("dwReserved", c_uint32),
        ("szListName", c_char * NAME65_SIZE),
        ("szColumnLine", c_char * COLUMN_LINE_SIZE),
    ]


class EdlLineVB(ctypes.Structure):
    """Event record with its texts inside it (edlReadLineVB / edlWriteLineVB).

    The library points the five text pointers at the inline buffers during each call, so
    a record belongs to one call at a time and never to the library's shared buffers.
    """

    _pack_ = 4
    _fields_ = [
        ("dwSrcIn", c_uint32),
        ("dwSrcOut", c_uint32),
        ("dwMarkIn", c_uint32),
        ("dwMarkOut", c_uint32),
        ("lAudioOffset", c_int32),
        ("dwEditNum", c_uint32),
        ("dwVideoTracks", c_uint32),
        ("dwAudioTracks", c_uint32),
        ("dwEffect", c_uint32),
        ("szClipName", c_void_p),
        ("szName", c_void_p),
        ("szComment", c_void_p),
        ("szReel", c_void_p),
        ("qwReserved2", c_uint64),
        ("dwLineFlags", c_uint32),
        ("dwPresent", c_uint32),
        ("dwRecIn", c_uint32),
        ("dwRecOut", c_uint32),
        ("chEditType", c_char),
        ("dwWipeCode", c_uint32),
        ("dwEffectLen", c_uint32),
        ("szEffectText", c_char * EFFECT_TEXT_SIZE),
        ("dwTrackMask", c_uint32),
        ("dwListTag", c_uint32),
        ("szLine", c_void_p),
        ("bXFile3", c_uint8),
        ("achClipName", c_char * CLIPNAME_SIZE),
        ("achName", c_char * NAME_SIZE),
        ("achComment", c_char * COMMENT_SIZE),
        ("achReel", c_char * REEL_SIZE),
        ("achLine", c_char * LINE_SIZE),
    ]


class EdlHandle(ctypes.Structure):
    """The library's handle; hosts only hold pointers to it."""


def clear(record: ctypes.Structure) -> None:
    """Sets every byte of a record to zero."""
    ctypes.memset(ctypes.addressof(record), 0, ctypes.sizeof(record))


def cut(text: bytes, size: int) -> bytes:
    """A text cut to fit a buffer of size bytes with its terminator, as the library cuts."""
    return text if len(text) < size else text[: size - 1]


# ---- edlconvert.h ----

EDLC_OK = 0
EDLC_END = 1
EDLC_E_ARGUMENT = 0x100
EDLC_E_OPEN = 0x101
EDLC_E_READ = 0x102
EDLC_E_WRITE = 0x103
EDLC_E_MEMORY = 0x104
EDLC_E_REFUSED = 0x105
EDLC_E_OUTPUT = 0x106

EDLC_AT_NONE = 0
EDLC_AT_INPUT = 1
EDLC_AT_OTHER = 2
EDLC_AT_OUTPUT = 3

# The list type of an OpenTimelineIO timeline, beside those of edlListTypes.
EDLC_TYPE_OTIO = 0x10000

EDLC_LEGACY = 0x1
EDLC_ALL = 0x2


def EDLC_RATE(hundredths: int) -> int:
    """Reading at a counting rate given in hundredths of a frame a second (2500 for 25)."""
    return (hundredths & 0xFFFF) << 16

EDLC_FORMAT_TEXT = 0
EDLC_FORMAT_TABLE = 1
EDLC_FORMAT_JSON = 2
EDLC_FORMAT_CSV = 3
EDLC_FORMAT_SVG = 4
EDLC_FORMAT_HTML = 5
EDLC_FORMAT_AVID = 6
EDLC_FORMAT_EDL = 7
EDLC_FORMAT_LOC = 8
EDLC_FORMAT_NOTES = 9
EDLC_FORMAT_CDL = 10
EDLC_FORMAT_CC = 11
EDLC_FORMAT_CCC = 12

EDLC_ID_REEL = 0x4
EDLC_ID_EVENT = 0x8

EDLC_CHANGE_UNCHANGED = 0x40


class edlcStatus(ctypes.Structure):
    """What a failed call says: its code, which file it concerns, and a message."""

    _fields_ = [
        ("code", c_uint32),
        ("which", c_uint32),
        ("message", c_char * 1024),
    ]


class edlcListType(ctypes.Structure):
    """A row of the catalogue of list types."""

    _fields_ = [
        ("value", c_uint32),
        ("name", c_char_p),
        ("enumerator", c_char_p),
        ("dialect", c_char_p),
        ("extension", c_char_p),
        ("altExtension", c_char_p),
        ("headerForm", c_char_p),
        ("eventForm", c_char_p),
        ("readsBackAs", c_uint32),
        ("detected", c_int),
        ("written", c_int),
    ]


class edlcTcMode(ctypes.Structure):
    """A row of the table of timecode modes."""

    _fields_ = [
        ("value", c_uint32),
        ("name", c_char_p),
        ("description", c_char_p),
        ("fps", c_uint32),
        ("dropped", c_uint32),
        ("dropFrame", c_int),
        ("frameRate", c_uint32),
    ]


# The host's output takes bytes that need not end in a NUL: a plain pointer, read by size.
edlcWriteFn = CFUNCTYPE(c_int, c_void_p, c_void_p, c_size_t)
edlcWarnFn = CFUNCTYPE(None, c_void_p, c_char_p)
edlcGuardFn = CFUNCTYPE(c_int, c_void_p, c_char_p)
edlcProgressFn = CFUNCTYPE(None, c_void_p, c_size_t)


class edlcOptions(ctypes.Structure):
    """Options of the whole-list functions; edlcInitOptions sets the defaults."""

    _fields_ = [
        ("flags", c_uint32),
        ("format", c_uint32),
        ("listType", c_uint32),
        ("tcMode", c_uint32),
        ("title", c_char_p),
        ("name", c_char_p),
        ("otherName", c_char_p),
        ("write", edlcWriteFn),
        ("writeContext", c_void_p),
        ("warn", edlcWarnFn),
        ("warnContext", c_void_p),
        ("guard", edlcGuardFn),
        ("guardContext", c_void_p),
        ("progress", edlcProgressFn),
        ("progressContext", c_void_p),
        ("recordStart", c_char_p),
    ]


class edlcChange(ctypes.Structure):
    """One row of a change list."""

    _fields_ = [
        ("kinds", c_uint32),
        ("newIndex", c_int64),
        ("oldIndex", c_int64),
        ("head", c_int64),
        ("tail", c_int64),
        ("move", c_int64),
    ]


class edlcList(ctypes.Structure):
    """An open list of edlconvert; hosts only hold pointers to it."""


class edlcDiffResult(ctypes.Structure):
    """A change list of edlconvert; hosts only hold pointers to it."""
