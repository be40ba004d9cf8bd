"""The library's records and codes as edlbridge.h declares them.

The records cross the C interface with 4-byte packing: no field is aligned beyond four
bytes, so the pointers of an event record sit at offset 36. ctypes' ``_pack_ = 4`` gives
the same layout; the tests compare every offset with the header's.
"""

import ctypes
from ctypes import c_char, c_int32, c_uint8, c_uint32, c_uint64, c_void_p

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
EDL_END_OF_LIST = 0x8000
EDL_NO_LINE = 0x8006

# edlOpen modes.
EDL_OPEN_READ = 0
EDL_OPEN_WRITE = 1

# List flags.
EDL_LF_INTERCHANGE = 0x01000000

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
