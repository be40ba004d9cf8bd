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
    ("23.976", M.NTSC2398), ("23.976 DF", M.NTSC2398DF), ("29.97ndf", M.NDF), ("60", M.NTSC60),
])
def test_modes_by_the_tools_names(text, mode):
    assert TimecodeMode.parse(text) is mode


@pytest.mark.parametrize("text", ["", "df2", "0x03", 3, "23.977", "59.94ndf"])
def test_unknown_modes_are_refused(text):
    with pytest.raises(ValueError):
        TimecodeMode.parse(text)


def test_modes_describe_themselves_from_the_librarys_table():
    assert [m.label for m in TimecodeMode] == [
        "film", "ndf", "df", "pal", "pal50", "df5994", "ntsc60", "hundredths", "23.98", "23.98df"]
    assert (M.DF.fps, M.DF.drop_frame, M.DF.frame_rate) == (30, True, 29.97)
    assert (M.NTSC2398DF.fps, M.NTSC2398DF.drop_frame, M.NTSC2398DF.frame_rate) == (24, True, 23.98)
    assert (M.PAL50.fps, M.PAL50.drop_frame, M.PAL50.description) == (50, False, "50 fps")


def test_parse_has_no_default_mode():
    with pytest.raises(TypeError):
        Timecode.parse("01:00:00:00")  # type: ignore[call-arg]


@pytest.mark.parametrize("mode, frames, expected", [
    ("pal", 90000, M.PAL), ("25", 90000, M.PAL), (25, 90000, M.PAL), (25.0, 90000, M.PAL),
    ("29.97", 107892, M.DF), (29.97, 107892, M.DF), ("df", 107892, M.DF), (0x04, 107892, M.DF),
    ("0x04", 107892, M.DF), ("30", 108000, M.NDF), (24, 86400, M.FILM), (M.PAL50, 180000, M.PAL50),
])
def test_parse_takes_modes_and_rates_as_the_tool_does(mode, frames, expected):
    assert Timecode.parse("01:00:00:00", mode) == Timecode(frames, expected)


@pytest.mark.parametrize("mode", [3, "26", "23.977", "", None])
def test_parse_refuses_modes_the_table_does_not_name(mode):
    with pytest.raises((ValueError, TypeError)):
        Timecode.parse("01:00:00:00", mode)


def test_timecodes_of_one_mode_order_add_and_subtract():
    start = Timecode.parse("01:00:00:00", "pal")
    later = Timecode.parse("01:00:02:10", "pal")
    assert start < later and later >= start and not later <= start and max(start, later) is later
    assert sorted([later, start]) == [start, later]
    assert later - start == 60
    assert start - later == -60
    assert str(start + 60) == "01:00:02:10" and 60 + start == later
    assert later - 60 == start
    assert start + Timecode(25, M.PAL) == Timecode(90025, M.PAL)
    assert {start + 60: "x"}[later] == "x"


def test_seconds_use_the_modes_frame_rate():
    assert Timecode(50, M.PAL).seconds == 2.0
    assert Timecode(2997, M.DF).seconds == pytest.approx(100.0)
    assert Timecode.parse("01:00:00:00", "film").seconds == 3600.0


def test_timecodes_of_two_modes_neither_compare_nor_subtract():
    pal, ndf = Timecode(25, M.PAL), Timecode(25, M.NDF)
    with pytest.raises(TypeError, match="modes pal and ndf"):
        pal < ndf
    with pytest.raises(TypeError, match="modes ndf and pal"):
        ndf - pal
    with pytest.raises(TypeError):
        pal + ndf
    with pytest.raises(TypeError):
        pal < 3
    assert pal != ndf


def test_results_before_frame_zero_are_refused():
    with pytest.raises(ValueError, match="before 00:00:00:00"):
        Timecode(10, M.PAL) - 11
    with pytest.raises(ValueError):
        Timecode(10, M.PAL) + -11


def test_enums_print_the_tools_names():
    from edlbridge import ListType
    assert (str(ListType.ALE), str(ListType.CMX3600), str(M.PAL), str(M.NTSC2398DF)) == (
        "ale", "cmx3600", "pal", "23.98df")
    assert f"{M.DF} {ListType.XJT_LIST} {M.PAL:02X}" == "df xjt-list 08"
