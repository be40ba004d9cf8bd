"""Finding and loading the shared libraries, and the prototypes of the functions used.

Two libraries are loaded: libedlbridge (the records) and libedlconvert (whole lists, the
catalogue of types and modes, timecode text), which depends on the first. libedlbridge is
looked for, in this order: the file EDLBRIDGE_LIBRARY names (and no other when it is set);
the module's own folder; the library folder of the prefix the module is installed in; the
build tree of a source checkout the module is run from; the system loader. libedlconvert
is the file EDLCONVERT_LIBRARY names, else it is looked for beside libedlbridge first, then
in the same places.

libedlbridge is loaded first, by its path: the system's loader then gives libedlconvert
that same copy for its dependency (it matches loaded libraries by their soname), so the
two never come from different builds by accident. Both are loaded when the module is
imported, because its list types and timecode modes are read from the library's tables.
"""

import ctypes
import ctypes.util
import os
import sys
import threading
from ctypes import POINTER, c_char_p, c_int, c_size_t, c_uint32, c_void_p
from typing import List, Optional, Sequence, Tuple

from . import _records as rec
from ._errors import LibraryError

ENVIRONMENT_VARIABLE = "EDLBRIDGE_LIBRARY"
CONVERT_ENVIRONMENT_VARIABLE = "EDLCONVERT_LIBRARY"


def _file_names(stem: str) -> Tuple[str, str]:
    if sys.platform == "win32":
        return f"lib{stem}.dll", f"{stem}.dll"
    if sys.platform == "darwin":
        return f"lib{stem}.1.dylib", f"lib{stem}.dylib"
    return f"lib{stem}.so.1", f"lib{stem}.so"


_lock = threading.Lock()
_libraries: Optional[Tuple[ctypes.CDLL, ctypes.CDLL]] = None


def _folders(build_folders: Sequence[str]) -> List[str]:
    here = os.path.dirname(os.path.abspath(__file__))
    folders = [here]
    try:
        # Written by the install: where the prefix's library folder is, seen from here.
        from ._location import LIBRARY_FOLDER  # type: ignore[import]

        folders.append(os.path.normpath(os.path.join(here, LIBRARY_FOLDER)))
    except ImportError:
        pass
    checkout = os.path.dirname(os.path.dirname(here))
    if os.path.isfile(os.path.join(checkout, "include", "edlbridge.h")):
        folders.extend(os.path.normpath(os.path.join(checkout, "build", sub)) for sub in build_folders)
    return folders


def _open(path: str) -> ctypes.CDLL:
    try:
        return ctypes.CDLL(path, use_errno=True)
    except OSError as error:
        raise LibraryError(path, f"cannot load the library: {error}") from None


def _find(stem: str, variable: str, folders: List[str]) -> ctypes.CDLL:
    names = _file_names(stem)
    explicit = os.environ.get(variable)
    if explicit:
        return _open(explicit)
    for folder in folders:
        for name in names:
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                return _open(path)
    found = ctypes.util.find_library(stem)
    for name in [names[0]] + ([found] if found else []):
        try:
            return ctypes.CDLL(name, use_errno=True)
        except OSError:
            pass
    raise LibraryError(
        names[0],
        f"library not found (set {variable} to the file, or install edlbridge)",
    )


def _declare_records(library: ctypes.CDLL) -> ctypes.CDLL:
    handle = POINTER(rec.EdlHandle)
    library.edlInitEdlListStruct.argtypes = [POINTER(rec.EdlList)]
    library.edlInitEdlListStruct.restype = None
    library.edlOpen.argtypes = [c_char_p, c_void_p, c_uint32, POINTER(rec.EdlList)]
    library.edlOpen.restype = handle
    library.edlClose.argtypes = [handle]
    library.edlClose.restype = c_uint32
    library.edlWriteLineVB.argtypes = [handle, POINTER(rec.EdlLineVB)]
    library.edlWriteLineVB.restype = c_uint32
    return library


def _declare_convert(library: ctypes.CDLL) -> ctypes.CDLL:
    status = POINTER(rec.edlcStatus)
    options = POINTER(rec.edlcOptions)
    handle = POINTER(rec.edlcList)
    result = POINTER(rec.edlcDiffResult)
    event = POINTER(rec.EdlLineVB)
    prototypes = {
        "edlcListTypeCount": ([], c_size_t),
        "edlcListTypeAt": ([c_size_t, POINTER(rec.edlcListType)], c_int),
        "edlcFindListType": ([c_char_p, POINTER(rec.edlcListType)], c_int),
        "edlcTcModeCount": ([], c_size_t),
        "edlcTcModeAt": ([c_size_t, POINTER(rec.edlcTcMode)], c_int),
        "edlcFindTcMode": ([c_char_p, POINTER(rec.edlcTcMode)], c_int),
        "edlcParseTimecode": ([c_char_p, c_uint32, POINTER(c_uint32)], c_int),
        "edlcFormatTimecode": ([c_uint32, c_uint32, c_char_p, c_size_t], c_size_t),
        "edlcRelabel": ([c_uint32, c_uint32, c_uint32], c_uint32),
        "edlcRescale": ([ctypes.c_int64, c_uint32, c_uint32], ctypes.c_int64),
        "edlcInitOptions": ([options], None),
        "edlcOpen": ([c_char_p, c_uint32, status], handle),
        "edlcListRecord": ([handle], POINTER(rec.EdlList)),
        "edlcIsTimeline": ([handle], c_int),
        "edlcNext": ([handle, event, status], c_uint32),
        "edlcClose": ([handle], None),
        "edlcClipName": ([handle, event, c_char_p, c_size_t], c_size_t),
        "edlcSourceFile": ([event, c_char_p, c_size_t], c_size_t),
        "edlcWriteTypes": ([options, status], c_uint32),
        "edlcDetect": ([c_char_p, options, status], c_uint32),
        "edlcDump": ([c_char_p, options, status], c_uint32),
        "edlcConvert": ([c_char_p, c_char_p, options, POINTER(c_size_t), status], c_uint32),
        "edlcDiffLists": ([c_char_p, c_char_p, c_uint32, status], result),
        "edlcDiffCount": ([result], c_size_t),
        "edlcDiffAt": ([result, c_size_t, POINTER(rec.edlcChange)], c_int),
        "edlcDiffSame": ([result], c_int),
        "edlcDiffFree": ([result], None),
        "edlcChangeName": ([c_uint32], c_char_p),
        "edlcDiff": ([c_char_p, c_char_p, options, POINTER(c_int), status], c_uint32),
        "edlcTimeline": ([c_char_p, c_char_p, c_char_p, options, POINTER(c_size_t), status],
                         c_uint32),
        "edlcSameFile": ([c_char_p, c_char_p], c_int),
        "edlcMarkers": ([c_char_p, c_char_p, options, POINTER(c_size_t), status], c_uint32),
        "edlcWriteMarkers": ([c_char_p, c_char_p, options, POINTER(c_size_t), status], c_uint32),
        "edlcCdl": ([c_char_p, c_char_p, options, POINTER(c_size_t), status], c_uint32),
        "edlcWriteCdl": ([c_char_p, c_char_p, options, POINTER(c_size_t), status], c_uint32),
    }
    for name, (arguments, returned) in prototypes.items():
        function = getattr(library, name)
        function.argtypes = arguments
        function.restype = returned
    return library


def _load() -> Tuple[ctypes.CDLL, ctypes.CDLL]:
    records = _find("edlbridge", ENVIRONMENT_VARIABLE, _folders([""]))
    folder = os.path.dirname(records._name)
    beside = [folder] if folder else []
    convert = _find("edlconvert", CONVERT_ENVIRONMENT_VARIABLE,
                    beside + _folders(["convert", ""]))
    return _declare_records(records), _declare_convert(convert)


def _both() -> Tuple[ctypes.CDLL, ctypes.CDLL]:
    global _libraries
    if _libraries is None:
        with _lock:
            if _libraries is None:
                _libraries = _load()
    return _libraries


def library() -> ctypes.CDLL:
    """libedlbridge, with the prototypes of the functions the module calls."""
    return _both()[0]


def converter() -> ctypes.CDLL:
    """libedlconvert, with the prototypes of the functions the module calls."""
    return _both()[1]
