"""OpenTimelineIO timelines: written by convert(), read by read(), detect() and convert()."""

import io
import warnings

import pytest

import edlbridge
from conftest import DATA, run_tool
from edlbridge import ListType, TimecodeMode

V1 = DATA / "tools" / "cuts" / "cut_v1.edl"
OTIO = DATA / "tools" / "otio"


def summary(listed):
    return [(e.edit, e.reel, e.tracks, e.edit_type, str(e.src_in), str(e.src_out), str(e.rec_in),
             str(e.rec_out), e.clip_name) for e in listed]


def test_a_cut_becomes_a_timeline_and_reads_back(tmp_path):
    timeline = tmp_path / "cut.otio"
    assert edlbridge.convert(str(V1), str(timeline), "otio") == 9
    assert edlbridge.detect(str(timeline)) is ListType.OTIO
    back = edlbridge.read(str(timeline))
    assert (back.list_type, back.title, back.timecode_mode) == (
        ListType.OTIO, "HARBOUR REEL 2 V1", TimecodeMode.NDF)
    # Written by hand from cut_v1.edl: the lead of the dissolve, the dissolve and the two
    # audio tracks of the ambience come back as they were.
    rows = summary(back)
    assert rows[2:4] == [
        (3, "A004C002", "V1", "C", "11:20:03:00", "11:20:03:00", "01:00:07:00", "01:00:07:00", ""),
        (3, "B001C007", "V1", "D", "09:15:20:00", "09:15:24:00", "01:00:07:00", "01:00:11:00",
         "B001C007_210915_R2AA.MOV")]
    assert (back.events[3].wipe_code, back.events[3].effect_length) == (0, 20)
    assert rows[6] == (6, "SFX_HARB", "A1 A2", "C", "00:00:30:00", "00:00:38:00", "01:00:00:00",
                       "01:00:08:00", "HARBOUR AMBIENCE LOOP 48K.WAV")
    assert rows == summary(edlbridge.read(str(V1)))


def test_a_timeline_converts_into_a_list(tmp_path):
    timeline, log = tmp_path / "cut.otio", tmp_path / "cut.xjt"
    edlbridge.convert(str(V1), str(timeline), ListType.OTIO)
    assert edlbridge.convert(str(timeline), str(log), "xjt-list", timecode_mode="pal") == 9
    back = edlbridge.read(str(log))
    assert back.timecode_mode is TimecodeMode.PAL
    # 01:00:13:15 at 30 fps keeps its seconds at 25: frame 15 becomes 12.
    assert [str(e.rec_in) for e in back.events[4:6]] == ["01:00:11:00", "01:00:13:12"]


def test_an_overlap_on_a_track_is_a_warning(tmp_path):
    # Edit 2 starts at 00:00:01:00, a second before edit 1 ends: it goes on a further V1.
    with warnings.catch_warnings(record=True) as caught:
        warnings.simplefilter("always")
        edlbridge.convert(str(OTIO / "overlap_ndf.edl"), str(tmp_path / "o.otio"), "otio")
    assert [w.category for w in caught] == [edlbridge.EdlWarning]
    assert "overlaps the event before it on V1 by 30 frames: placed on a further V1 track" in str(
        caught[0].message
    )


@pytest.mark.parametrize("name", ["bad_no_schema.otio", "bad_zero_rate.otio", "bad_not_json.otio"])
def test_broken_timelines_are_refused_as_the_tool_refuses_them(tool, tmp_path, name):
    path, target = str(OTIO / name), tmp_path / "out.edl"
    with pytest.raises(edlbridge.NotAListError) as caught:
        edlbridge.convert(path, str(target), "cmx3600")
    assert caught.value.path == path
    assert run_tool(tool, "convert", path, "--to", "cmx3600", "-o", str(target)).stderr.decode() == \
        f"edlbridge: {caught.value}\n"
    with pytest.raises(edlbridge.NotAListError):
        edlbridge.read(path)
    assert not target.exists()


def test_events_are_written_as_lists_only(tmp_path):
    with pytest.raises(edlbridge.UnknownListTypeError, match="'otio' cannot be written from events"):
        edlbridge.write(str(tmp_path / "cut.otio"), edlbridge.read(str(V1)).events, "otio")
    assert not (tmp_path / "cut.otio").exists()


def test_a_timeline_is_read_from_text_bytes_and_streams():
    # Known by its "OTIO_SCHEMA", whatever it is called; the events as the CMX 3600 list of
    # tools/golden/otio/foreign_flat.cmx3600 gives them (checked by hand against the timeline).
    data = (OTIO / "foreign_flat.otio").read_bytes()
    for source in (data, data.decode("utf-8"), io.BytesIO(data)):
        listed = edlbridge.read(source)
        assert listed.title == "Reel 1 conform"
        assert listed.timecode_mode is TimecodeMode.FILM
        assert summary(listed)[:2] == [
            (1, "A001C002", "V1 A1", "C", "00:00:04:04", "00:00:06:04", "01:00:00:00",
             "01:00:02:00", "A001_C002"),
            (2, "A001C002", "V1", "C", "00:00:06:04", "00:00:06:04", "01:00:02:00",
             "01:00:02:00", ""),
        ]
        assert len(listed.events) == 5


def test_a_timeline_without_clips_is_refused():
    with pytest.raises(edlbridge.NotAListError, match="no clips in the timeline"):
        edlbridge.read(io.BytesIO(b'{"OTIO_SCHEMA": "Timeline.1", "tracks": '
                                  b'{"OTIO_SCHEMA": "Stack.1", "children": []}}'))
