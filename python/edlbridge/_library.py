"""Finding and loading the shared library, and the prototypes of the functions used.

The library is looked for, in this order: the file EDLBRIDGE_LIBRARY names (and no other
when it is set); the module's own folder; the library folder of the prefix the module is
installed in; the build tree of a source checkout the module is run from; the system
loader. It is loaded on first use, so importing the module never fails for want of it.
"""

import ctypes
import ctypes.util
import os
import sys
import threading
from ctypes import POINTER, c_char_p, c_int, c_uint32, c_void_p
from typing import List, Optional

from ._errors import LibraryError
from ._records import EdlHandle, EdlLineVB, EdlList

ENVIRONMENT_VARIABLE = "EDLBRIDGE_LIBRARY"

if sys.platform == "win32":
    _FILE_NAMES = ("libedlbridge.dll", "edlbridge.dll")
elif sys.platform == "darwin":
    _FILE_NAMES = ("libedlbridge.1.dylib", "libedlbridge.dylib")
else:
    _FILE_NAMES = ("libedlbridge.so.1", "libedlbridge.so")

_lock = threading.Lock()
_library: Optional[ctypes.CDLL] = None


def _folders() -> List[str]:
    here = os.path.dirname(os.path.abspath(__file__))
    folders = [here]
    try:
        # Written by the install: where the prefix's library folder is, seen from here.
        from ._location import LIBRARY_FOLDER  # type: ignore[import-not-found]

        folders.append(os.path.normpath(os.path.join(here, LIBRARY_FOLDER)))
    except ImportError:
        pass
    checkout = os.path.dirname(os.path.dirname(here))
    if os.path.isfile(os.path.join(checkout, "include", "edlbridge.h")):
        folders.append(os.path.join(checkout, "build"))
    return folders


def _declare(library: ctypes.CDLL) -> ctypes.CDLL:
    handle = POINTER(EdlHandle)
    library.edlInitEdlListStruct.argtypes = [POINTER(EdlList)]
    library.edlInitEdlListStruct.restype = None
    library.edlOpen.argtypes = [c_char_p, c_void_p, c_uint32, POINTER(EdlList)]
    library.edlOpen.restype = handle
    library.edlClose.argtypes = [handle]
    library.edlClose.restype = c_uint32
    library.edlReadLineVB.argtypes = [handle, POINTER(EdlLineVB)]
    library.edlReadLineVB.restype = c_uint32
    library.edlWriteLineVB.argtypes = [handle, POINTER(EdlLineVB)]
    library.edlWriteLineVB.restype = c_uint32
    library.edlDefExtension.argtypes = [c_int, c_char_p, c_char_p]
    library.edlDefExtension.restype = c_int
    return library


def _load() -> ctypes.CDLL:
    explicit = os.environ.get(ENVIRONMENT_VARIABLE)
    if explicit:
        try:
            return ctypes.CDLL(explicit, use_errno=True)
        except OSError as error:
            raise LibraryError(explicit, f"cannot load the library: {error}") from None
    for folder in _folders():
        for name in _FILE_NAMES:
            path = os.path.join(folder, name)
            if os.path.isfile(path):
                return ctypes.CDLL(path, use_errno=True)
    found = ctypes.util.find_library("edlbridge")
    for name in (_FILE_NAMES[0], found):
        if name:
            try:
                return ctypes.CDLL(name, use_errno=True)
            except OSError:
                pass
    raise LibraryError(
        _FILE_NAMES[0],
        f"library not found (set {ENVIRONMENT_VARIABLE} to the file, or install edlbridge)",
    )


def library() -> ctypes.CDLL:
    """The loaded library, with its functions' prototypes declared."""
    global _library
    if _library is None:
        with _lock:
            if _library is None:
                _library = _declare(_load())
    return _library
