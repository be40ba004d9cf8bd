"""The list types: one member per dialect, named as ``edlbridge types`` names them."""

import ctypes
import enum
from typing import Tuple, Union

from ._library import library


class ListType(enum.IntEnum):
    """A list type (a value of edlListTypes).

    Member names are the tool's names in capitals with '_' for '-': ``xjt-list`` is
    ``XJT_LIST``, ``cmx3600`` is ``CMX3600``; ``label`` gives the tool's name back.
    """

    XJT_LIST = 1
    XJT_CLIP = 2
    TYPE3 = 3
    TYPE4 = 4
    ALE = 5
    FRAMEGRAB = 6
    CMX3600 = 7
    CMX3400A = 8
    CMX3400 = 9
    CMX340 = 10
    CMX = 11
    TYPE12 = 12
    CMXLIKE13 = 13
    CMXLIKE14 = 14
    CMXLIKE15 = 15
    TYPE16 = 16
    TYPE17 = 17
    EMC = 18
    CMXLIKE19 = 19
    SMPTE2 = 20
    SMPTE4 = 21
    PREMIERE = 22
    MEDIALOG = 23
    SMPTE_TITLED = 24
    OMF = 25
    TYPE26 = 26
    EDT27 = 27
    EDT28 = 28
    EDT29 = 29
    EDT30 = 30
    EDT31 = 31
    EDT32 = 32
    EDT33 = 33
    CMXLIKE34 = 34
    CMXLIKE35 = 35
    TYPE36 = 36
    TYPE37 = 37
    TYPE38 = 38
    TYPE39 = 39
    FIELDNAMES = 40
    REELCLIP = 41
    FLEX = 42
    FLEX_AATON = 43
    SHORTCMX = 44
    DS = 45
    CSV = 46
    GENERIC250 = 250
    GENERIC = 251
    NONE = 256

    @property
    def label(self) -> str:
        """The tool's name of the type ('xjt-list', 'cmx3600', 'flex-aaton', ...)."""
        return self.name.lower().replace("_", "-")

    @property
    def writable(self) -> bool:
        """Whether lists of the type can be written. A CSV log is read, never written (the
        library writes type 46 as a CMX-like list), and 256 is no type at all."""
        return self not in (ListType.CSV, ListType.NONE)

    @property
    def extension(self) -> str:
        """The default file extension the library gives the type ('edl', 'ale', 'pl*')."""
        return self._extensions()[0]

    @property
    def alternative_extension(self) -> str:
        """The alternative extension ('log', 'omfi'; empty when there is none)."""
        return self._extensions()[1]

    def _extensions(self) -> Tuple[str, str]:
        extension = ctypes.create_string_buffer(8)
        alternative = ctypes.create_string_buffer(8)
        library().edlDefExtension(int(self), extension, alternative)
        return extension.value.decode("ascii"), alternative.value.decode("ascii")

    @classmethod
    def parse(cls, value: Union["ListType", int, str]) -> "ListType":
        """A type by value (``7``, ``"7"``), tool name (``"cmx3600"``) or member name.

        Raises ValueError for anything else.
        """
        if isinstance(value, str):
            text = value.strip()
            if text.isascii() and text.isdigit() and len(text) <= 6:
                value = int(text)
            else:
                key = text.upper().replace("-", "_")
                if key in cls.__members__:
                    return cls.__members__[key]
                raise ValueError(f"no such list type {value!r}")
        try:
            return cls(value)
        except ValueError:
            raise ValueError(f"no such list type {value!r}") from None
