"""Reading: every list the tool reads gives the same fields through the module, and every
list it refuses raises the matching error with the tool's reason."""

import json

import pytest

import edlbridge
from conftest import DATA, EXAMPLES, all_lists, dump

# The tool's dump reads lists; the module reads timelines too (test_timelines.py).
LISTS = [path for path in all_lists() if path.suffix != ".otio"]
TIMES = ("src_in", "src_out", "rec_in", "rec_out", "mark_in", "mark_out")
ERRORS = {
    "cannot open": edlbridge.OpenError,
    "not a list edlbridge can read": edlbridge.NotAListError,
    "empty file": edlbridge.NotAListError,
    "read failed": edlbridge.ReadError,
}


def shown(text: str) -> str:
    # The dump shows bytes that are no UTF-8 as U+FFFD; the module keeps them as surrogates.
    return text.encode("utf-8", "surrogateescape").decode("utf-8", "replace")


def mask(tracks) -> int:
    return sum(1 << (n - 1) for n in tracks)


def compare(listed: edlbridge.EditList, expected: dict, legacy: bool) -> None:
    assert listed.list_type == expected["list_type"]
    assert listed.list_type.label == expected["list_type_name"]
    assert shown(listed.title) == expected["title"]
    assert listed.timecode_mode == expected["timecode_mode"]
    assert listed.timecode_mode.label == expected["timecode_mode_name"]
    assert shown(listed.column_line) == expected["column_line"]
    if not legacy:
        assert listed.frame_rate == expected["frame_rate"]
    assert len(listed.events) == len(expected["events"])
    for number, (event, want) in enumerate(zip(listed.events, expected["events"])):
        got = {
            "edit": event.edit,
            "reel": shown(event.reel),
            "tracks": event.tracks,
            "video_tracks": mask(event.video_tracks),
            "audio_tracks": mask(event.audio_tracks),
            "edit_type": event.edit_type,
            "wipe_code": event.wipe_code,
            "effect_length": event.effect_length,
            "audio_offset": event.audio_offset,
            "clip_name": shown(event.clip_name),
            "comment": shown(event.comment),
        }
        for key in TIMES:
            time = getattr(event, key)
            got[key] = {"timecode": str(time), "frames": time.frames}
        if not legacy:
            got["name"] = shown(event.name)
            got["source_file"] = None if event.source_file is None else shown(event.source_file)
            got["notes"] = [shown(note) for note in event.notes]
            got["raw_line"] = shown(event.raw_line)
        assert got == {key: want[key] for key in got}, f"event {number}"


@pytest.mark.parametrize("legacy", [False, True], ids=["interchange", "legacy"])
@pytest.mark.parametrize("path", LISTS, ids=lambda p: str(p.relative_to(p.parents[1])))
def test_every_list_reads_as_the_tool_dumps_it(tool, path, legacy):
    expected, refusal = dump(tool, path, legacy)
    if expected is not None:
        compare(edlbridge.read(str(path), legacy=legacy), expected, legacy)
        assert list(edlbridge.iter_events(str(path), legacy=legacy)) == \
            edlbridge.read(str(path), legacy=legacy).events
        return
    with pytest.raises(edlbridge.EdlError) as caught:
        edlbridge.read(str(path), legacy=legacy)
    assert f"edlbridge: {caught.value}" == refusal
    kind = next(cls for prefix, cls in ERRORS.items() if caught.value.reason.startswith(prefix))
    assert type(caught.value) is kind
    assert caught.value.path == str(path)


def test_bytes_that_are_no_utf8_come_back_as_they_were(tool, tmp_path):
    path = tmp_path / "latin1.edl"
    path.write_bytes(b"TITLE: Caf\xe9 cut\r\nFCM: NON-DROP FRAME\r\n\r\n"
                     b"001  R\xe9EL1    V     C        01:00:00:00 01:00:01:00 "
                     b"00:00:00:00 00:00:01:00\r\n* FROM CLIP NAME: sc\xe8ne_one\r\n")
    listed = edlbridge.read(str(path))
    compare(listed, dump(tool, path)[0], legacy=False)
    assert listed.title.encode("utf-8", "surrogateescape") == b"Caf\xe9 cut"
    assert listed.events[0].reel.encode("utf-8", "surrogateescape") == b"R\xe9EL1"
    assert listed.events[0].clip_name.encode("utf-8", "surrogateescape") == b"sc\xe8ne_one"


def test_harbour_cut_reads_field_by_field():
    # Written by hand from examples/lists/harbour_cut.edl.
    cut = edlbridge.read(str(EXAMPLES / "harbour_cut.edl"))
    assert (cut.list_type, cut.title, cut.timecode_mode, cut.frame_rate) == (
        edlbridge.ListType.GENERIC, "HARBOUR CUT", edlbridge.TimecodeMode.NDF, 29.97)
    assert [e.edit for e in cut] == [1, 2, 3, 3, 4]
    first, second, _, dissolve, last = cut.events
    assert first.clip_name == "harbour_wide"
    assert first.source_file == "/media/harbour/harbour_wide.mov"
    assert first.notes == ["FROM CLIP NAME: harbour_wide",
                           "harbour at dawn ; /media/harbour/harbour_wide.mov"]
    assert (str(first.src_in), str(first.src_out), first.rec_out.frames) == (
        "01:00:00:00", "01:00:04:00", 120)
    assert (second.video_tracks, second.audio_tracks, second.clip_name) == ([1], [1, 2], "gulls")
    # 'D    030': a dissolve's number is its length.
    assert (dissolve.edit_type, dissolve.wipe_code, dissolve.effect_length, dissolve.reel,
            dissolve.clip_name) == ("D", 0, 30, "HARB03", "boats")
    assert (last.video_tracks, last.audio_tracks, str(last.rec_in)) == ([], [1, 2], "00:00:10:12")


def test_iter_events_reads_lazily_and_closes_its_list(tmp_path):
    import gc
    import os

    def open_files() -> int:
        return len(os.listdir("/proc/self/fd"))

    path = str(EXAMPLES / "harbour_cut.edl")
    before = open_files()
    events = edlbridge.iter_events(path)
    assert open_files() == before + 1
    assert next(events).edit == 1
    events.close()
    assert open_files() == before
    untouched = edlbridge.iter_events(path)
    del untouched
    gc.collect()
    assert open_files() == before
    assert [e.edit for e in edlbridge.iter_events(path)] == [1, 2, 3, 3, 4]
    assert open_files() == before


def test_detect_gives_the_type_without_reading_events():
    assert edlbridge.detect(str(EXAMPLES / "harbour_cut.edl")) is edlbridge.ListType.GENERIC
    assert edlbridge.detect(str(EXAMPLES / "harbour_log.ale")) is edlbridge.ListType.ALE
    assert edlbridge.detect(str(DATA / "tools" / "csv_clip_log.csv")) is edlbridge.ListType.CSV


def test_detect_summarises_a_list():
    # Written by hand from examples/lists/harbour_log.ale: a PAL log of three clips.
    path = str(EXAMPLES / "harbour_log.ale")
    summary = json.loads(edlbridge.detect(path, format="json"))
    assert (summary["list_type_name"], summary["timecode_mode_name"], summary["events"]) == (
        "ale", "pal", 3)
    assert summary["column_line"] == "Name\tTape\tStart\tEnd\tTracks\tComments"
    text = edlbridge.detect(path, format="text").splitlines()
    assert (text[1], text[3], text[5]) == ("type: 5 ale", "timecode mode: 0x08 pal (PAL, 25 fps)",
                                           "events: 3")
    with pytest.raises(ValueError, match="no such format"):
        edlbridge.detect(path, format="table")
