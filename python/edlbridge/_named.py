"""The enums built from the libraries' tables print the tool's name of a member."""

import enum


class NamedIntEnum(enum.IntEnum):
    """An integer enum whose ``str()`` and plain f-string are the member's ``label``; a
    numeric format (``f"{mode:02X}"``) still formats the value."""

    @property
    def label(self) -> str:
        raise NotImplementedError

    def __str__(self) -> str:
        return self.label

    def __format__(self, format_spec: str) -> str:
        return str(self) if not format_spec else format(int(self), format_spec)
