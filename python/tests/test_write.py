"""Writing: exact bytes of hand-built lists, round trips through the interchange dialects,
mode changes, and convert() against the tool's convert."""

import pytest

import edlbridge
from conftest import DATA, EXAMPLES, run_tool
from edlbridge import Event, ListType, Timecode, TimecodeMode

NDF, PAL = TimecodeMode.NDF, TimecodeMode.PAL


def tc(text, mode=NDF):
    return Timecode.parse(text, mode)


def cut(edit, reel, src_in, src_out, rec_in, rec_out, mode=NDF, **fields):
    return Event(edit=edit, reel=reel, src_in=tc(src_in, mode), src_out=tc(src_out, mode),
                 rec_in=tc(rec_in, mode), rec_out=tc(rec_out, mode), **fields)


def test_cmx3600_for_interchange_byte_for_byte(tmp_path):
    events = [
        cut(1, "HARB01", "01:00:00:00", "01:00:04:00", "00:00:00:00", "00:00:04:00",
            video_tracks=[1], clip_name="harbour_wide", source_file="/media/harbour_wide.mov",
            notes=["harbour at dawn"]),
        cut(2, "HARB03", "03:20:10:00", "03:20:13:00", "00:00:04:00", "00:00:07:00",
            video_tracks=[1], audio_tracks=[1, 2], edit_type="D", wipe_code=30,
            clip_name="boats"),
        cut(0, "GFX", "00:00:00:00", "00:00:01:00", "00:00:07:00", "00:00:08:00",
            video_tracks=[1], edit_type="K", effect_length=10, effect_text="B"),
        cut(4, "HARB02", "00:00:33:10", "00:00:34:10", "00:00:08:00", "00:00:09:00",
            audio_tracks=[3, 4]),
    ]
    path = tmp_path / "cut.edl"
    # The dissolve and the key get their outgoing cuts: six lines for four events.
    assert edlbridge.write(str(path), events, "cmx3600", title="HARBOUR CUT") == 6
    assert path.read_bytes() == (
        b"TITLE: HARBOUR CUT\r\n"
        b"FCM: NON-DROP FRAME\r\n"
        b"\r\n"
        b"001  HARB01   V     C        01:00:00:00 01:00:04:00 00:00:00:00 00:00:04:00\r\n"
        b"* FROM CLIP NAME: harbour_wide\r\n"
        b"* SOURCE FILE: /media/harbour_wide.mov\r\n"
        b"* harbour at dawn\r\n"
        b"002  HARB01   AA/V  C        01:00:04:00 01:00:04:00 00:00:04:00 00:00:04:00\r\n"
        b"002  HARB03   AA/V  D    030 03:20:10:00 03:20:13:00 00:00:04:00 00:00:07:00\r\n"
        b"* FROM CLIP NAME: boats\r\n"
        b"003  HARB03   V     C        03:20:13:00 03:20:13:00 00:00:07:00 00:00:07:00\r\n"
        b"003  GFX      V     KB   010 00:00:00:00 00:00:01:00 00:00:07:00 00:00:08:00\r\n"
        b"004  HARB02   NONE  C        00:00:33:10 00:00:34:10 00:00:08:00 00:00:09:00\r\n"
        b"AUD  3    4\r\n")


def test_a_dissolve_alone_gets_its_outgoing_cut(tmp_path):
    events = [
        cut(1, "BL", "00:00:00:00", "00:00:00:00", "00:00:00:00", "00:00:00:00", video_tracks=[1]),
        cut(1, "A", "01:00:00:00", "01:00:02:00", "00:00:00:00", "00:00:02:00", video_tracks=[1],
            edit_type="D", wipe_code=15),
        cut(2, "B", "02:00:00:00", "02:00:01:00", "00:00:02:00", "00:00:03:00", video_tracks=[1],
            edit_type="W", wipe_code=1, effect_length=10),
    ]
    path = tmp_path / "pair.edl"
    assert edlbridge.write(str(path), events, "cmx3600") == 4
    assert path.read_bytes() == (
        b"FCM: NON-DROP FRAME\r\n"
        b"\r\n"
        b"001  BL       V     C        00:00:00:00 00:00:00:00 00:00:00:00 00:00:00:00\r\n"
        b"001  A        V     D    015 01:00:00:00 01:00:02:00 00:00:00:00 00:00:02:00\r\n"
        b"002  A        V     C        01:00:02:00 01:00:02:00 00:00:02:00 00:00:02:00\r\n"
        b"002  B        V     W001 010 02:00:00:00 02:00:01:00 00:00:02:00 00:00:03:00\r\n")
    # The first event has no event before it: it fades in from black.
    assert edlbridge.write(str(path), events[1:2], "cmx3600") == 2
    assert path.read_bytes().split(b"\r\n")[2:4] == [
        b"001  BL       V     C        00:00:00:00 00:00:00:00 00:00:00:00 00:00:00:00",
        b"001  A        V     D    015 01:00:00:00 01:00:02:00 00:00:00:00 00:00:02:00"]
    # Lists that are no CMX lists keep one row per event.
    assert edlbridge.write(str(tmp_path / "log.ale"), events[1:2], "ale") == 1


def test_log_exchange_for_interchange_byte_for_byte(tmp_path):
    event = cut(7, "TAPE7", "10:00:00:00", "10:00:02:00", "01:00:00:00", "01:00:02:00", PAL,
                video_tracks=[1], audio_tracks=[1, 2], clip_name="interview_a",
                source_file="/m/a.mov", notes=["first take", "second line"])
    path = tmp_path / "log.ale"
    edlbridge.write(str(path), iter([event]), ListType.ALE)
    assert path.read_bytes() == (
        b"Heading\r\nFIELD_DELIM\tTABS\r\nVIDEO_FORMAT\tPAL\r\nAUDIO_FORMAT\t44kHz\r\n"
        b"FPS\t25\r\n\r\nColumn\r\nName\tTracks\tStart\tEnd\tTape\tSource File\tComments\t"
        b"Mark IN\tMark OUT\tRecord Start\tRecord End\tEvent\tTransition\r\n\r\nData\r\n"
        b"interview_a\tVA1A2\t10:00:00:00\t10:00:02:00\tTAPE7\t/m/a.mov\t"
        b"FROM CLIP NAME: interview_a | first take | second line\t\t\t01:00:00:00\t01:00:02:00\t7\tC\r\n")


def test_other_modes_are_relabelled_and_lengths_scaled(tmp_path):
    event = cut(1, "R1", "01:00:00:15", "01:00:01:00", "00:00:00:00", "00:00:01:00",
                video_tracks=[1], edit_type="W", wipe_code=1, effect_length=30)
    path = tmp_path / "pal.ale"
    edlbridge.write(str(path), [event], "ale", timecode_mode="pal")
    back = edlbridge.read(str(path)).events[0]
    assert back.src_in == Timecode.parse("01:00:00:12", PAL)   # frame 15 of 30 is 12 of 25
    assert str(back.src_out) == "01:00:01:00"
    assert (back.wipe_code, back.effect_length) == (1, 25)


def test_plain_integers_are_frames_in_the_lists_mode(tmp_path):
    path = tmp_path / "frames.edl"
    edlbridge.write(str(path), [Event(edit=1, reel="R", video_tracks=[1], src_in=90000,
                                      src_out=90025, rec_in=0, rec_out=25)],
                    "cmx3600", timecode_mode=PAL)
    back = edlbridge.read(str(path))
    assert back.timecode_mode is PAL
    assert [str(back.events[0].src_in), str(back.events[0].rec_out)] == ["01:00:00:00", "00:00:01:00"]


ROUND_TRIPS = [
    ("interchange/avid_notes_crlf.edl", False, True),
    ("interchange/avid_notes_cr.edl", False, True),
    ("interchange/six_digit_tabs.edl", False, True),
    (EXAMPLES / "harbour_cut.edl", False, True),
    ("columns/ale_interchange_columns.ale", True, True),
    ("columns/ale_fps_23976.ale", True, False),
    ("columns/ale_fps_2997_semicolons.ale", True, False),
    ("columns/ale_fps_5994.ale", True, False),
]


def describe(listed, with_record):
    # What comes back: transitions carry their numbers, record times where the list gives
    # them (a CMX list lays events without them end to end).
    lines = []
    for e in listed.events:
        line = [e.edit, e.reel, e.video_tracks, e.audio_tracks, e.edit_type, e.src_in, e.src_out,
                e.clip_name, e.source_file, e.notes]
        if e.edit_type in ("D", "W", "K"):
            line += [e.wipe_code, e.effect_length, e.effect_text]
        if with_record:
            line += [e.rec_in, e.rec_out]
        lines.append(line)
    return lines


@pytest.mark.parametrize("source, log, with_record", ROUND_TRIPS, ids=lambda v: str(v).split("/")[-1])
def test_write_then_read_keeps_events(tmp_path, source, log, with_record):
    original = edlbridge.read(str(DATA / source))
    assert original.events
    expected = describe(original, with_record)
    first, second = (ListType.ALE, ListType.CMX3600) if log else (ListType.CMX3600, ListType.ALE)

    def again(listed, list_type, name):
        path = str(tmp_path / name)
        edlbridge.write(path, listed.events, list_type, title=listed.title)
        return edlbridge.read(path)

    same = again(original, first, "same")
    assert same.timecode_mode == original.timecode_mode
    assert describe(same, with_record) == expected
    back = again(again(original, second, "other"), first, "back")
    assert describe(back, with_record) == expected


CONVERSIONS = [
    (EXAMPLES / "harbour_cut.edl", ()),
    (EXAMPLES / "harbour_log.ale", ()),
    (DATA / "tools" / "cmx_title_fcm_dissolve.edl", ()),
    (DATA / "tools" / "csv_clip_log.csv", ()),
    (DATA / "tools" / "log_60fps.ale", ()),
    (EXAMPLES / "harbour_cut.edl", ("--fcm", "pal", "--title", "PAL CUT")),
    (DATA / "tools" / "cmx_title_fcm_dissolve.edl", ("--fcm", "df")),
    (EXAMPLES / "harbour_cut.edl", ("--legacy",)),
]
WRITABLE = [t for t in ListType if t.writable]


@pytest.mark.parametrize("list_type", WRITABLE, ids=lambda t: t.label)
@pytest.mark.parametrize("source, options", CONVERSIONS,
                         ids=lambda v: v.name if hasattr(v, "name") else "-".join(v) or "plain")
def test_convert_writes_what_the_tool_writes(tool, tmp_path, source, options, list_type):
    ours, theirs = tmp_path / "ours", tmp_path / "theirs"
    result = run_tool(tool, "convert", str(source), "--to", list_type.label, "-o", str(theirs),
                      *options)
    assert result.returncode == 0, result.stderr
    settings = dict(zip(options[::2], options[1::2]))
    count = edlbridge.convert(str(source), str(ours), list_type,
                              timecode_mode=settings.get("--fcm"), title=settings.get("--title"),
                              legacy="--legacy" in options)
    assert f"({list_type.label}, {count} events)".encode() in result.stdout
    assert ours.read_bytes() == theirs.read_bytes()
