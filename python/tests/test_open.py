"""open(): the header at once and events lazily from one open list, relabelled on request;
sources given as text, bytes and streams; the tool's JSON from to_dict() and to_json().
Expected values are read off tests/data/tools/cuts/cut_v1.edl by hand."""

import io
import json
import tempfile

import pytest

import edlbridge
from conftest import DATA, EXAMPLES, dump
from edlbridge import ListType, Timecode, TimecodeMode

CUT = DATA / "tools" / "cuts" / "cut_v1.edl"
CSV = DATA / "tools" / "csv_clip_log.csv"
NDF, PAL = TimecodeMode.NDF, TimecodeMode.PAL


def test_open_gives_the_header_at_once_and_events_one_by_one():
    with edlbridge.open(str(CUT)) as cut:
        assert (cut.list_type, cut.title, cut.timecode_mode, cut.frame_rate, cut.column_line) == (
            ListType.GENERIC, "HARBOUR REEL 2 V1", NDF, 29.97, "")
        first = next(cut)
        assert (first.edit, first.reel, str(first.src_in), first.rec_in) == (
            1, "A003C012", "11:04:10:00", Timecode(108000, NDF))
        rest = list(cut)
    assert cut.closed
    assert [e.edit for e in rest] == [2, 3, 3, 4, 5, 6, 7, 8]
    with pytest.raises(ValueError, match="closed"):
        next(cut)


def test_open_relabels_into_the_mode_asked_for():
    with edlbridge.open(str(CUT), rate="25") as cut:
        assert (cut.source_mode, cut.timecode_mode, cut.frame_rate) == (NDF, PAL, 25.0)
        events = list(cut)
    assert events[0].rec_in == Timecode(90000, PAL)            # 01:00:00:00
    assert str(events[0].rec_out) == "01:00:04:00"
    dissolve = events[3]
    # 020 frames of 30 are 16.7 frames of 25: 17.
    assert (dissolve.edit_type, dissolve.wipe_code, dissolve.effect_length, str(dissolve.src_in)) == (
        "D", 0, 17, "09:15:20:00")


def test_open_refuses_unknown_modes_and_files(tmp_path):
    with pytest.raises(ValueError, match="no such timecode mode"):
        edlbridge.open(str(CUT), rate="26")
    with pytest.raises(edlbridge.OpenError, match="missing.edl: cannot open"):
        edlbridge.open(str(tmp_path / "missing.edl"))


def test_durations_are_record_out_less_record_in():
    events = edlbridge.read(str(CUT)).events
    assert [e.duration for e in events[:5]] == [120, 90, 0, 120, 75]


@pytest.fixture
def temporary(tmp_path, monkeypatch):
    # Copies of text and streams go here, so a test sees that they are removed.
    monkeypatch.setattr(tempfile, "tempdir", str(tmp_path))
    return tmp_path


@pytest.mark.parametrize("make", [
    lambda data: data.decode("utf-8"),
    lambda data: data,
    lambda data: io.BytesIO(data),
    lambda data: io.StringIO(data.decode("utf-8")),
], ids=["str", "bytes", "binary-stream", "text-stream"])
def test_text_bytes_and_streams_are_read_from_a_copy_removed_afterwards(temporary, make):
    listed = edlbridge.read(make(CUT.read_bytes()))
    assert (listed.title, len(listed), listed.events[8].reel) == ("HARBOUR REEL 2 V1", 9, "GFX")
    assert listed.path in ("<text>", "<bytes>", "<stream>")
    assert list(temporary.iterdir()) == []


def test_a_name_gives_the_copy_its_suffix(temporary):
    data = CSV.read_bytes()
    with pytest.raises(edlbridge.NotAListError, match="<bytes>: not a list"):
        edlbridge.read(data)
    listed = edlbridge.read(io.BytesIO(data), name="log.csv")
    assert (listed.path, listed.list_type, listed.events[1].clip_name) == ("log.csv", ListType.CSV, "gulls")
    assert list(temporary.iterdir()) == []


def test_a_str_without_line_break_is_a_path(tmp_path):
    with pytest.raises(edlbridge.OpenError):
        edlbridge.read("TITLE: no list, no file")


@pytest.mark.parametrize("path", [CUT, EXAMPLES / "harbour_cut.edl", CSV,
                                  DATA / "tools" / "ale_pal_log.ale"], ids=lambda p: p.name)
def test_to_json_is_the_tools_dump(tool, path):
    expected, refused = dump(tool, path)
    assert refused is None
    assert json.loads(edlbridge.read(str(path)).to_json()) == expected


def test_an_events_dict_is_plain_json():
    event = edlbridge.read(str(CUT)).events[3]
    assert json.loads(json.dumps(event.to_dict())) == event.to_dict()
    assert event.to_dict()["src_in"] == {"timecode": "09:15:20:00", "frames": 999600}
    assert (event.to_dict()["edit_type"], event.to_dict()["video_tracks"]) == ("D", 1)
