"""Timecode texts, parsing and mode changes, with expected values worked out by hand."""

import pytest

from edlbridge import Timecode, TimecodeMode
from edlbridge._timecode import relabel, rescale

M = TimecodeMode


@pytest.mark.parametrize("frames, mode, text", [
    (0, M.DF, "00:00:00;00"),
    (1799, M.DF, "00:00:59;29"),
    (1800, M.DF, "00:01:00;02"),        # ;00 and ;01 are skipped
    (17981, M.DF, "00:09:59;29"),
    (17982, M.DF, "00:10:00;00"),       # the tenth minute keeps them
    (107892, M.DF, "01:00:00;00"),
    (3599, M.DF5994, "00:00:59;59"),    # the first minute keeps every label
    (3600, M.DF5994, "00:01:00;04"),
    (108000, M.NDF, "01:00:00:00"),
    (24, M.FILM, "00:00:01:00"),
    (90000, M.PAL, "01:00:00:00"),
    (50, M.PAL50, "00:00:01:00"),
    (6099, M.HUNDREDTHS, "00:01:00:99"),
    (24, M.NTSC2398DF, "00:00:01;00"),  # the marker without skipping
    (30, 0x03, "00:00:01:00"),          # unknown modes count like non-drop 30
    (10800000, M.NDF, "100:00:00:00"),  # hours grow past 99
    (0xFFFFFFFF, M.FILM, "49710:16:10:15"),
])
def test_text_in_each_mode(frames, mode, text):
    assert str(Timecode(frames, mode)) == text
    assert Timecode(frames, mode).text == text


@pytest.mark.parametrize("text, mode, frames", [
    ("01:00:00:00", M.NDF, 108000),
    ("1:2:3:4", M.NDF, ((1 * 60 + 2) * 60 + 3) * 30 + 4),
    ("00:01:00;02", M.DF, 1800),
    ("00:01:00:02", M.DF, 1800),         # any separator before the frames
    ("00:10:00;00", M.DF, 17982),
    ("01.00.00.00", M.PAL, 90000),
    ("01,00,00,12", M.FILM, 86412),
    ("100:00:00:00", M.NDF, 10800000),   # hours past 99
    ("39768:12:56:15", M.NDF, 0xFFFFFFFF),
    ("39768:12:56:16", M.NDF, 0),        # one frame past 32 bits wraps
])
def test_parse_reads_the_four_fields(text, mode, frames):
    assert Timecode.parse(text, mode) == Timecode(frames, mode)


@pytest.mark.parametrize("text, mode", [
    ("", M.NDF), ("ab", M.NDF), ("1:2:3:4:5", M.NDF), ("01:00:00:00x", M.NDF),
    ("01000000", M.NDF), ("1:2:3", M.NDF), ("01:00:00:000", M.NDF), ("123456:00:00:00", M.NDF),
    (" 01:00:00:00", M.NDF), ("01:00::00", M.NDF), ("01+00+00+00", M.NDF),
    ("00:60:00:00", M.NDF), ("00:00:60:00", M.NDF), ("00:00:00:30", M.NDF),
    ("00:00:00:24", M.FILM), ("00:00:00:25", M.PAL),
])
def test_parse_refuses_what_is_no_timecode_of_the_mode(text, mode):
    with pytest.raises(ValueError):
        Timecode.parse(text, mode)


@pytest.mark.parametrize("text, mode", [("00:01:00;00", M.DF), ("00:01:00;03", M.DF5994)])
def test_parse_refuses_labels_drop_frame_counting_skips(text, mode):
    with pytest.raises(ValueError):
        Timecode.parse(text, mode)


@pytest.mark.parametrize("frames, source, target, expected", [
    (1800, M.DF, M.NDF, 1802),     # 00:01:00;02 -> 00:01:00:02
    (1800, M.NDF, M.DF, 1800),     # 00:01:00:00 does not exist in drop frame: ;02
    (36, M.FILM, M.PAL, 37),       # 00:00:01:12 -> frame 12*25/24 = 12
    (24, M.PAL, M.FILM, 23),       # 00:00:00:24 -> frame 24*24/25 = 23
    (108000, M.NDF, M.NDF, 108000),
])
def test_relabel_keeps_hours_minutes_seconds(frames, source, target, expected):
    assert relabel(frames, source, target) == expected
    assert Timecode(frames, source).to_mode(target) == Timecode(expected, target)


@pytest.mark.parametrize("frames, source, target, expected", [
    (30, M.NDF, M.PAL, 25), (45, M.NDF, M.FILM, 36), (-45, M.NDF, M.FILM, -36),
    (1, M.FILM, M.DF, 1), (-3, M.FILM, M.NTSC60, -8), (7, M.PAL, M.PAL, 7),
])
def test_rescale_rounds_halves_away_from_zero(frames, source, target, expected):
    assert rescale(frames, source, target) == expected


def test_timecodes_compare_by_frames_and_mode():
    assert Timecode(5, M.NDF) == Timecode(5, M.NDF)
    assert Timecode(5, M.NDF) != Timecode(5, M.FILM)
    assert len({Timecode(5, M.NDF), Timecode(5, M.NDF), Timecode(6, M.NDF)}) == 2
    with pytest.raises(ValueError):
        Timecode(1 << 32, M.NDF)


@pytest.mark.parametrize("text, mode", [
    ("film", M.FILM), ("NDF", M.NDF), ("23.98", M.NTSC2398), ("23.98df", M.NTSC2398DF),
    ("df5994", M.DF5994), ("pal50", M.PAL50), (0x44, M.HUNDREDTHS), ("0x44", M.HUNDREDTHS),
    ("drop", M.DF), ("29.97", M.DF), ("NTSC2398DF", M.NTSC2398DF),
])
def test_modes_by_the_tools_names(text, mode):
    assert TimecodeMode.parse(text) is mode


@pytest.mark.parametrize("text", ["", "df2", "0x03", 3, "23.976"])
def test_unknown_modes_are_refused(text):
    with pytest.raises(ValueError):
        TimecodeMode.parse(text)


def test_modes_describe_themselves_from_the_librarys_table():
    assert [m.label for m in TimecodeMode] == [
        "film", "ndf", "df", "pal", "pal50", "df5994", "ntsc60", "hundredths", "23.98", "23.98df"]
    assert (M.DF.fps, M.DF.drop_frame, M.DF.frame_rate) == (30, True, 29.97)
    assert (M.NTSC2398DF.fps, M.NTSC2398DF.drop_frame, M.NTSC2398DF.frame_rate) == (24, True, 23.98)
    assert (M.PAL50.fps, M.PAL50.drop_frame, M.PAL50.description) == (50, False, "50 fps")
