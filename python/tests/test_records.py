"""The records the module hands the library, against the header; the list types against
the tool's table."""

import ctypes
import subprocess

import pytest

import edlbridge
from edlbridge._records import EdlLineVB, EdlList

RECORDS = {"EdlList": EdlList, "EdlLineVB": EdlLineVB}


def test_sizes_of_the_header():
    # From edlbridge.h (and the library's own layout tests).
    assert (ctypes.sizeof(EdlList), ctypes.sizeof(EdlLineVB)) == (8528, 13580)


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
    # The library's types come first; a blank line leads to the formats of the tool alone.
    rows = lines[1:lines.index("")] if "" in lines else lines[1:]
    table = {}
    for row in rows:
        value, name, extension, alternative, _, writes = row.split()[:6]
        table[int(value)] = (name, extension, "" if alternative == "-" else alternative,
                             writes == "yes")
    module = {int(t): (t.label, t.extension, t.alternative_extension, t.writable)
              for t in edlbridge.ListType}
    assert module == table


@pytest.mark.parametrize("text, expected", [
    ("cmx3600", edlbridge.ListType.CMX3600), ("CMX3600", edlbridge.ListType.CMX3600),
    ("7", edlbridge.ListType.CMX3600), (5, edlbridge.ListType.ALE),
    ("flex-aaton", edlbridge.ListType.FLEX_AATON), ("SMPTE_TITLED", edlbridge.ListType.SMPTE_TITLED),
])
def test_list_types_by_name_or_value(text, expected):
    assert edlbridge.ListType.parse(text) is expected


@pytest.mark.parametrize("text", ["cmx3601", "", "47", 999, "0000007000"])
def test_unknown_list_types_are_refused(text):
    with pytest.raises(ValueError):
        edlbridge.ListType.parse(text)
