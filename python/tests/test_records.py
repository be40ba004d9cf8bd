"""The records the module hands the libraries, against the headers; the list types against
the tool's table."""

import ctypes
import subprocess

import pytest

import edlbridge
from edlbridge import _records

RECORDS = {name: getattr(_records, name) for name in (
    "EdlList", "EdlLineVB", "edlcStatus", "edlcListType", "edlcTcMode", "edlcOptions", "edlcChange")}


def test_sizes_of_the_header():
    # From edlbridge.h (and the library's own layout tests).
    assert (ctypes.sizeof(_records.EdlList), ctypes.sizeof(_records.EdlLineVB)) == (8528, 13580)


def test_every_field_where_the_compiler_puts_it(layout_probe):
    compiled = {}
    for line in subprocess.run([layout_probe], capture_output=True, text=True,
                               check=True).stdout.splitlines():
        record, field, offset, size = line.split()
        compiled[(record, field)] = (int(offset), int(size))
    declared = {}
    for name, record in RECORDS.items():
        declared[(name, "-")] = (0, ctypes.sizeof(record))
        for field, _ in record._fields_:
            declared[(name, field)] = (getattr(record, field).offset, getattr(record, field).size)
    assert declared == compiled


def test_list_types_as_the_tool_names_them(tool):
    lines = subprocess.run([tool, "types"], capture_output=True, text=True,
                           check=True).stdout.splitlines()
    # The library's types come first; a blank line leads to the timeline, which the module
    # has as ListType.OTIO.
    blank = lines.index("")
    table = {}
    for row in lines[1:blank]:
        value, name, extension, alternative, _, writes = row.split()[:6]
        table[int(value)] = (name, extension, "" if alternative == "-" else alternative,
                             writes == "yes")
    timeline = edlbridge.ListType.OTIO
    module = {int(t): (t.label, t.extension, t.alternative_extension, t.writable)
              for t in edlbridge.ListType if t is not timeline}
    assert module == table
    name, extension, _, writes = lines[blank + 3].split()[:4]
    assert (timeline.label, timeline.extension, timeline.writable) == (name, extension, writes == "yes")


@pytest.mark.parametrize("text, expected", [
    ("cmx3600", edlbridge.ListType.CMX3600), ("CMX3600", edlbridge.ListType.CMX3600),
    ("7", edlbridge.ListType.CMX3600), (5, edlbridge.ListType.ALE),
    ("flex-aaton", edlbridge.ListType.FLEX_AATON), ("SMPTE_TITLED", edlbridge.ListType.SMPTE_TITLED),
    ("EDLTYPE_LOG_EXCHANGE", edlbridge.ListType.ALE), ("OTIO", edlbridge.ListType.OTIO),
])
def test_list_types_by_name_or_value(text, expected):
    assert edlbridge.ListType.parse(text) is expected


@pytest.mark.parametrize("text", ["cmx3601", "", "47", 999, "0000007000"])
def test_unknown_list_types_are_refused(text):
    with pytest.raises(ValueError):
        edlbridge.ListType.parse(text)
