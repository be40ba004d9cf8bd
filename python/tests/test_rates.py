"""Counting rates and record starts given when a list is read."""

import pytest

import edlbridge
from conftest import DATA

PAL = DATA / "tools" / "pal_nondrop.edl"
LOG = DATA / "tools" / "log_custom_columns.ale"


def test_a_list_read_at_a_given_rate():
    # 01:00:02:12 is 3602 seconds and 12 frames: 90062 at 25, 108072 at 30.
    assumed = edlbridge.read(str(PAL))
    given = edlbridge.read(str(PAL), rate=25)
    assert (assumed.frame_rate, assumed.rate_source, assumed.events[0].rec_out.frames) == (
        29.97, "assumed", 108072)
    assert (given.frame_rate, given.rate_source, given.events[0].rec_out.frames) == (
        25.0, "given", 90062)
    with pytest.raises(ValueError):
        edlbridge.read(str(PAL), rate=48)


def test_a_log_laid_from_a_given_record_start(tmp_path):
    out = tmp_path / "log.edl"
    assert edlbridge.convert(str(LOG), str(out), "cmx3600", record_start="10:00:00:00") == 2
    lines = out.read_bytes().split(b"\r\n")
    assert lines[3] == (b"001  DAY3_A   AA/V  C        10:00:00:00 10:00:04:00 "
                        b"10:00:00:00 10:00:04:00")
    assert lines[8] == (b"002  DAY3_A   V     C        10:10:00:00 10:10:02:12 "
                        b"10:00:04:00 10:00:06:12")


def test_open_and_iter_events_count_at_a_given_rate():
    # 01:00:02:12 counted at 25 is 90062 frames; shown at 30 it is relabelled 01:00:02:14
    # (12 frames of 25 are 14.4 of 30), 108074 frames.
    with edlbridge.open(str(PAL), counting_rate=25) as cut:
        assert (cut.source_mode, cut.timecode_mode, cut.frame_rate, cut.rate_source) == (
            edlbridge.TimecodeMode.PAL, edlbridge.TimecodeMode.PAL, 25.0, "given")
        assert [e.rec_out.frames for e in cut] == [90062, 90087]
    with edlbridge.open(str(PAL), "ndf", counting_rate=25) as shown:
        assert (shown.source_mode, shown.timecode_mode, shown.rate_source) == (
            edlbridge.TimecodeMode.PAL, edlbridge.TimecodeMode.NDF, "given")
        first = next(shown)
        assert (str(first.rec_out), first.rec_out.frames) == ("01:00:02:14", 108074)
    # The display mode alone keeps the counting the list says.
    with edlbridge.open(str(PAL), "25") as relabelled:
        assert (relabelled.source_mode, relabelled.rate_source) == (
            edlbridge.TimecodeMode.NDF, "assumed")
    assert [e.rec_out.frames for e in edlbridge.iter_events(str(PAL), rate=25)] == [90062, 90087]
    assert [e.rec_out.frames for e in edlbridge.iter_events(str(PAL))] == [108072, 108102]
    for bad in (48, 26.5):
        with pytest.raises(ValueError, match="no timecode counts at"):
            edlbridge.open(str(PAL), counting_rate=bad)
        with pytest.raises(ValueError, match="no timecode counts at"):
            edlbridge.iter_events(str(PAL), rate=bad)


def test_diff_and_timeline_count_at_a_given_rate(tmp_path):
    head = "TITLE: DOCK\r\nFCM: NON-DROP FRAME\r\n\r\n001  DOCK01   V     C        10:00:00:00 "
    old = tmp_path / "old.edl"
    new = tmp_path / "new.edl"
    old.write_bytes((head + "10:00:02:12 01:00:00:00 01:00:02:12\r\n").encode())
    new.write_bytes((head + "10:00:03:02 01:00:00:00 01:00:03:02\r\n").encode())
    # 01:00:02:12 to 01:00:03:02 is 15 frames at 25 fps, 20 at 30.
    at25 = edlbridge.diff(old, new, rate=25)
    assert [(c.kinds, c.tail) for c in at25.changes] == [(("trimmed",), 15)]
    assert [(c.kinds, c.tail) for c in edlbridge.diff(old, new).changes] == [(("trimmed",), 20)]
    assert "HEAD, TAIL and MOVE in frames of new's timecode mode" in edlbridge.diff(
        old, new, format="table", rate=25)
    with pytest.raises(ValueError, match="no timecode counts at 48 fps"):
        edlbridge.diff(old, new, rate=48)
    picture = edlbridge.timeline(str(PAL), rate=25)
    assert "pal (PAL, 25 fps) - 2 events - record 01:00:00:00 to 01:00:03:12" in picture
    laid = edlbridge.timeline(str(LOG), record_start="10:00:00:00")
    assert "- 2 events - record 10:00:00:00 to 10:00:06:12" in laid
