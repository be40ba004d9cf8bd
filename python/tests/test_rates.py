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
