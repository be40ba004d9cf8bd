"""Markers and ASC CDL grades through the module: values read from the lists in
tests/data/markers (expectations worked out by hand from their text), written back in each
form, and CDL files parsed as XML and checked against the list's own numbers."""

import xml.etree.ElementTree as ElementTree
from pathlib import Path

import pytest

import edlbridge

from conftest import DATA

MARKERS = DATA / "markers"
NAMESPACE = "{urn:ASC:CDL:v1.01}"


def tc30(hours: int, minutes: int, seconds: int, frames: int) -> int:
    return ((hours * 60 + minutes) * 60 + seconds) * 30 + frames


def test_markers_of_an_editing_list() -> None:
    found = edlbridge.markers(MARKERS / "avid_markers.txt")
    assert len(found) == 9
    assert found[3] == edlbridge.Marker(
        timecode="01:07:43:10", frames=tc30(1, 7, 43, 10), track="A1", colour="CYAN",
        name="assist", comment="Room tone, 2 sec", duration=48)
    assert [marker.colour for marker in found] == [
        "RED", "GREEN", "BLUE", "CYAN", "MAGENTA", "YELLOW", "BLACK", "WHITE", "teal"]
    assert found[4].name == "Éloïse"


def test_markers_at_another_rate() -> None:
    found = edlbridge.markers(MARKERS / "resolve_markers.edl", rate=25)
    # 01:00:07:12 at 30 fps is frame 10 of the same second at 25 fps; 24 frames become 20.
    assert (found[1].timecode, found[1].frames, found[1].duration) == (
        "01:00:07:10", (3600 + 7) * 25 + 10, 20)
    assert found[1].comment == "fix the matte, left edge"


def test_markers_written_in_each_form_read_back(tmp_path: Path) -> None:
    original = edlbridge.markers(MARKERS / "avid_markers.txt")
    text = edlbridge.write_markers(original[:2], format="avid")
    assert text == ("Isabel Yanes GT\t01:01:07:21\tV1\tred\t"
                    "VFX - Fade In, matte top \"elevator\"\t1\r\n"
                    "Isabel Yanes GT\t01:01:27:09\tV1\tgreen\tVFX - RESPEED 200% TO 100%\t1\r\n")
    for form, name in (("edl", "m.edl"), ("avid", "m.txt"), ("csv", "m.csv"),
                       ("notes", "n.csv")):
        assert edlbridge.write_markers(original, tmp_path / name, format=form) == 9
        back = edlbridge.markers(tmp_path / name)
        assert [marker.frames for marker in back] == [marker.frames for marker in original]
        assert [marker.comment for marker in back] == [marker.comment for marker in original]


def test_markers_from_mappings_and_bad_values() -> None:
    text = edlbridge.write_markers([{"timecode": "00:00:01:00", "colour": "ORANGE",
                                     "comment": "a, \"b\""}], format="csv")
    assert text.splitlines()[2] == ', , 30, "a, ""b""", 5, , 00:00:01:00'
    with pytest.raises(ValueError):
        edlbridge.write_markers([], format="xml")
    with pytest.raises(edlbridge.EdlError):
        edlbridge.write_markers([{"timecode": "soon"}])
    with pytest.raises(edlbridge.OpenError):
        edlbridge.markers(MARKERS / "missing.txt")


def test_cdl_values_as_numbers() -> None:
    grades = edlbridge.cdl(MARKERS / "loc_cdl.edl")
    assert [grade.id for grade in grades] == [
        "A001C003_230101", "A001C004_230101", "A001C003_230101_2"]
    assert grades[0].slope == (1.5, 1.0, 0.9)
    assert grades[0].offset == (0.1, -0.2, 0.0)
    assert grades[0].power == (1.0, 1.1, 0.95)
    assert grades[0].saturation == 0.9
    assert grades[1].saturation == 1.05
    assert grades[2].saturation is None
    assert [grade.id for grade in edlbridge.cdl(MARKERS / "loc_cdl.edl", id="event")] == [
        "001", "002", "003"]


def test_cdl_reads_at_the_rate_and_record_start_given() -> None:
    log = MARKERS / "grades.ale"
    at25 = edlbridge.cdl(log, rate=25, record_start="01:00:00:24")
    assert [(grade.id, grade.slope, grade.saturation) for grade in at25] == [
        ("A001C003", (1.5, 1.0, 0.9), 0.9), ("A001C005", (1.2, 1.0, 1.0), None)]
    # Frame 24 is no frame of a second at 24 fps.
    with pytest.raises(edlbridge.EdlError, match="no timecode of the list's rate: '01:00:00:24'"):
        edlbridge.cdl(log, rate=24, record_start="01:00:00:24")
    with pytest.raises(ValueError, match="no timecode counts at 48 fps"):
        edlbridge.cdl(log, rate=48)


def _values(correction: ElementTree.Element) -> dict:
    return {child.tag[len(NAMESPACE):]: child.text
            for child in correction.iter() if child.tag[len(NAMESPACE):] in (
                "Slope", "Offset", "Power", "Saturation")}


def test_cdl_files_parse_and_hold_the_list_text(tmp_path: Path, tool: str) -> None:
    from conftest import run_tool
    result = run_tool(tool, "cdl", str(MARKERS / "loc_cdl.edl"), "-d", str(tmp_path))
    assert result.returncode == 0, result.stderr
    files = sorted(path.name for path in tmp_path.iterdir())
    assert files == ["A001C003_230101.cdl", "A001C003_230101_2.cdl", "A001C004_230101.cdl"]
    root = ElementTree.parse(tmp_path / "A001C004_230101.cdl").getroot()
    assert root.tag == NAMESPACE + "ColorDecisionList"
    decision = root.find(NAMESPACE + "ColorDecision")
    assert decision is not None
    correction = decision.find(NAMESPACE + "ColorCorrection")
    assert correction is not None and correction.get("id") == "A001C004_230101"
    # From '* ASC_SAT 1.0500' and '* ASC_SOP(0.98765 1.0 1.0)(0.0 0.0 -0.001)(1.0 1.0 1.0)'.
    assert _values(correction) == {"Slope": "0.98765 1.0 1.0", "Offset": "0.0 0.0 -0.001",
                                   "Power": "1.0 1.0 1.0", "Saturation": "1.0500"}


def test_cdl_written_from_values(tmp_path: Path) -> None:
    grades = [edlbridge.Grade(id="sh/010", slope=(1.2, 1.0, 0.8), offset=(0.0, 0.0, 0.01),
                              power=(1.0, 1.0, 1.0), saturation=0.95),
              {"id": "sh/010", "saturation": 1.1}]
    assert edlbridge.write_cdl(grades, tmp_path, format="ccc", name="reel1") == 2
    root = ElementTree.parse(tmp_path / "reel1.ccc").getroot()
    assert root.tag == NAMESPACE + "ColorCorrectionCollection"
    corrections = root.findall(NAMESPACE + "ColorCorrection")
    assert [c.get("id") for c in corrections] == ["sh/010", "sh/010_2"]
    assert _values(corrections[0]) == {"Slope": "1.2 1.0 0.8", "Offset": "0.0 0.0 0.01",
                                       "Power": "1.0 1.0 1.0", "Saturation": "0.95"}
    assert _values(corrections[1]) == {"Saturation": "1.1"}
    assert edlbridge.write_cdl(grades, tmp_path, format="cc") == 2
    assert sorted(path.name for path in tmp_path.glob("*.cc")) == ["sh_010.cc", "sh_010_2.cc"]
    with pytest.raises(edlbridge.EdlError):
        edlbridge.write_cdl([{"id": "x", "slope": (1, 1)}], tmp_path)
