"""The change list and the picture of a cut, with expectations worked out by hand from the
cuts in tests/data/tools/cuts."""

import json
import xml.etree.ElementTree as ElementTree

import pytest

import edlbridge
from conftest import DATA

CUTS = DATA / "tools" / "cuts"
V1, V2 = str(CUTS / "cut_v1.edl"), str(CUTS / "cut_v2.edl")

# From cut_v1 to cut_v2, in cut_v2's record order; indexes count the transition's lead (the
# first 003) too. SFX_HARB ends 12 frames sooner in its source (00:00:38:00 to 37:18);
# A004C002 starts 12 frames later (11:20:00:00 to :12); the dissolve into B001C007 starts 12
# frames sooner (01:00:07:00 to 06:18) and runs 30 frames, not 20; C001C001 sits where
# A005C001 sat; the second A003C012 moves from 01:00:15:15 to 13:03 (72 frames sooner);
# B002C003 is gone, A006C004 is new.
CHANGES = [
    (("trimmed",), 7, 6, 0, -12, 0),
    (("trimmed",), 1, 1, 12, 0, 0),
    (("moved", "transition"), 3, 3, 0, 0, -12),
    (("replaced",), 4, 4, 0, 0, 0),
    (("moved",), 5, 7, 0, 0, -72),
    (("removed",), None, 5, 0, 0, 0),
    (("added",), 6, None, 0, 0, 0),
]


def rows(changes):
    return [(c.kinds, c.new_index, c.old_index, c.head, c.tail, c.move) for c in changes]


def test_changes_from_one_cut_to_the_next():
    changes = edlbridge.diff(V1, V2)
    assert (changes.old, changes.new, changes.same, len(changes)) == (V1, V2, False, 7)
    assert rows(changes) == CHANGES


def test_unchanged_events_are_listed_on_request():
    # 001 A003C012 (before SFX_HARB at 01:00:00:00: list order) and 008 GFX stay as they were.
    assert rows(edlbridge.diff(V1, V2, unchanged=True)) == (
        [(("unchanged",), 0, 0, 0, 0, 0), CHANGES[0], (("unchanged",), 8, 8, 0, 0, 0)]
        + CHANGES[1:])


def test_lists_of_other_rates_compare_by_timecode():
    # The PAL log of cut_v1: 01:00:13:15 at 30 fps is 13:12 at 25, the log says 13:07; the
    # 20-frame dissolve is 17 frames at 25, as the log says.
    changes = edlbridge.diff(V1, str(CUTS / "cut_v1_pal.ale"))
    assert rows(changes) == [(("trimmed",), 3, 4, 0, -5, 0), (("moved",), 4, 5, 0, 0, -5),
                             (("moved",), 6, 7, 0, 0, -5)]
    assert edlbridge.diff(V1, V1) == edlbridge.ChangeList(V1, V1, True, [])


def test_the_change_list_as_text():
    table = edlbridge.diff(V1, V2, format="table").splitlines()
    assert table[2:4] == ["changes: 1 added, 1 removed, 1 replaced, 2 trimmed, 2 moved, 1 transition",
                          "unchanged: 2"]
    assert [line.split()[0] for line in table[7:]] == [
        "trimmed", "trimmed", "moved+transition", "replaced", "moved", "removed", "added"]
    document = json.loads(edlbridge.diff(V1, V2, format="json", unchanged=True))
    assert (document["old"]["file"], document["new"]["events"], document["same"]) == (V1, 9, False)
    assert document["summary"] == {"added": 1, "removed": 1, "replaced": 1, "trimmed": 2,
                                   "moved": 2, "transition": 1, "unchanged": 2}
    assert len(document["changes"]) == 9
    assert [c["change"] for c in json.loads(edlbridge.diff(V1, V2, format="json"))["changes"]] == [
        list(kinds) for kinds, *_ in CHANGES]


def boxes(svg: str):
    root = ElementTree.fromstring(svg)
    return sorted((g.get("data-lane"), g.get("data-edit"), g.get("class"))
                  for g in root.iter("{http://www.w3.org/2000/svg}g")
                  if g.get("class", "").startswith("event"))


def test_the_picture_marks_each_box_with_its_change():
    # One box per event and track; the lead of the dissolve is no box.
    assert boxes(edlbridge.timeline(V2, old=V1)) == [
        ("A1", "7", "event trimmed"), ("A2", "7", "event trimmed"),
        ("V1", "1", "event"), ("V1", "2", "event trimmed"), ("V1", "3", "event moved transition"),
        ("V1", "4", "event replaced"), ("V1", "5", "event moved"), ("V1", "6", "event added"),
        ("V2", "8", "event")]
    assert {c for _, _, c in boxes(edlbridge.timeline(V1))} == {"event"}


def test_the_picture_as_a_page_in_a_file(tmp_path):
    page = tmp_path / "cut.html"
    assert edlbridge.timeline(V2, str(page), format="html") == 9
    text = page.read_text()
    assert text.startswith("<!DOCTYPE html>") and "<title>HARBOUR REEL 2 V2</title>" in text


def test_bad_input_raises_the_modules_errors(tmp_path):
    missing = str(tmp_path / "missing.edl")
    refused = str(DATA / "tools" / "premiere_refused.txt")
    for call, path, kind in [
        (lambda: edlbridge.diff(missing, V2), missing, edlbridge.OpenError),
        (lambda: edlbridge.diff(V1, missing, format="json"), missing, edlbridge.OpenError),
        (lambda: edlbridge.diff(V1, refused), refused, edlbridge.NotAListError),
        (lambda: edlbridge.timeline(missing), missing, edlbridge.OpenError),
        (lambda: edlbridge.timeline(V2, old=refused), refused, edlbridge.NotAListError),
    ]:
        with pytest.raises(kind) as caught:
            call()
        assert caught.value.path == path
    with pytest.raises(edlbridge.OpenError, match="cannot open: No such file or directory"):
        edlbridge.diff(missing, V2)
    for call in (lambda: edlbridge.diff(V1, V2, format="xml"),
                 lambda: edlbridge.timeline(V2, format="png")):
        with pytest.raises(ValueError, match="no such format"):
            call()


def test_a_picture_that_cannot_be_written_leaves_nothing(tmp_path):
    with pytest.raises(edlbridge.WriteError) as caught:
        edlbridge.timeline(V2, str(tmp_path / "no" / "cut.svg"))
    assert caught.value.path == str(tmp_path / "no" / "cut.svg")
    copy = tmp_path / "cut.edl"
    copy.write_bytes((CUTS / "cut_v2.edl").read_bytes())
    with pytest.raises(edlbridge.WriteError, match="would overwrite the input list"):
        edlbridge.timeline(str(copy), str(copy))
    assert copy.read_bytes() == (CUTS / "cut_v2.edl").read_bytes()
