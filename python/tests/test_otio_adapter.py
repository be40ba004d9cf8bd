"""The OpenTimelineIO adapter: its manifest, the timeline text it hands OpenTimelineIO, and,
where OpenTimelineIO can be imported, the adapter as OpenTimelineIO calls it."""

import json
import os
import subprocess
import sys
from pathlib import Path

import pytest

import edlbridge
from conftest import DATA
from edlbridge import ListType, otio_adapter

PACKAGE = Path(edlbridge.__file__).resolve().parent
MANIFEST = PACKAGE / "plugin_manifest.json"

# A cut at 30 fps with CRLF line ends: black, then a clip with a long clip name, a marker in
# a colour, a note nothing interprets, then a dissolve into a clip of another file.
CUT = (
    "TITLE: ADAPTER CUT\r\n"
    "FCM: NON-DROP FRAME\r\n"
    "\r\n"
    "001  BL       V     C        00:00:00:00 00:00:01:00 01:00:00:00 01:00:01:00\r\n"
    "002  A001C003 V     C        10:00:00:00 10:00:02:00 01:00:01:00 01:00:03:00\r\n"
    "* FROM CLIP NAME: SHOT_010 THE LONG NAME\r\n"
    "* LOC: 01:00:01:12 YELLOW  CHECK FOCUS\r\n"
    "* a note line\r\n"
    "003  A001C003 V     C        10:00:02:00 10:00:02:00 01:00:03:00 01:00:03:00\r\n"
    "003  B002     V     D    015 20:00:00:00 20:00:01:00 01:00:03:00 01:00:04:00\r\n"
    "* TO CLIP NAME: SHOT_020\r\n"
    "* SOURCE FILE: /media/B002.mov\r\n"
)

# A log: no record times.
LOG = (
    "Heading\nFIELD_DELIM\tTABS\nFPS\t25\n\n"
    "Column\nName\tTape\tStart\tEnd\tScene\n\n"
    "Data\nwide\tT01\t10:00:00:00\t10:00:02:00\t12A\n"
)


def catalogue_suffixes():
    """Every extension of a list type read or written, but patterns and the timeline's own."""
    suffixes = set()
    for member in ListType:
        if member is ListType.OTIO or not (member.detected or member.writable):
            continue
        for extension in (member.extension, member.alternative_extension):
            if extension and extension != "-" and "*" not in extension:
                suffixes.add(extension.lower())
    return suffixes


def test_the_manifest_names_the_adapter_for_every_suffix_of_the_catalogue():
    manifest = json.loads(MANIFEST.read_text(encoding="utf-8"))
    assert manifest["OTIO_SCHEMA"] == "PluginManifest.1"
    [adapter] = manifest["adapters"]
    assert (adapter["OTIO_SCHEMA"], adapter["name"]) == ("Adapter.1", "edlbridge")
    assert (MANIFEST.parent / adapter["filepath"]).is_file()
    assert set(adapter["suffixes"]) == catalogue_suffixes()
    assert len(adapter["suffixes"]) == len(set(adapter["suffixes"]))
    for name in ("read_from_file", "read_from_string", "write_to_file"):
        assert callable(getattr(otio_adapter, name))


@pytest.mark.parametrize("path, expected", [
    ("cut.edl", ListType.CMX3600), ("CUT.EDL", ListType.CMX3600), ("day1.ale", ListType.ALE),
    ("day1.alg", ListType.ALE), ("roll.flx", ListType.FLEX), ("reel.scx", ListType.FIELDNAMES),
    ("list.emc", ListType.EMC), ("grab.cbi", ListType.FRAMEGRAB), ("cut", ListType.CMX3600),
    ("cut.otio.bak", ListType.CMX3600),
])
def test_a_file_is_written_in_the_type_its_suffix_names(path, expected):
    assert otio_adapter.list_type_for(path) is expected


def items(timeline):
    return timeline["tracks"]["children"][0]["children"]


def test_a_cut_is_handed_over_in_the_adapters_conventions(tmp_path):
    cut = tmp_path / "cut.edl"
    cut.write_bytes(CUT.encode("ascii"))
    timeline = json.loads(otio_adapter.timeline_text(str(cut)))
    assert (timeline["OTIO_SCHEMA"], timeline["name"]) == ("Timeline.1", "ADAPTER CUT")
    # 01:00:00:00 at 30 frames a second.
    assert timeline["global_start_time"]["value"] == 108000.0
    black, shot, dissolve, incoming = items(timeline)
    assert black["OTIO_SCHEMA"] == "Clip.2"
    assert black["metadata"]["cmx_3600"] == {"reel": "BL"}
    media = black["media_references"]["DEFAULT_MEDIA"]
    assert (media["OTIO_SCHEMA"], media["generator_kind"]) == ("GeneratorReference.1", "black")

    assert shot["name"] == "SHOT_010 THE LONG NAME"
    assert shot["metadata"]["cmx_3600"] == {"comments": ["a note line"], "reel": "A001C003"}
    # 10:00:00:00 and two seconds; the marker at 01:00:01:12, its colour word kept.
    assert (shot["source_range"]["start_time"]["value"],
            shot["source_range"]["duration"]["value"]) == (1080000.0, 60.0)
    [marker] = shot["markers"]
    assert (marker["name"], marker["color"]) == ("CHECK FOCUS", "YELLOW")
    assert marker["metadata"]["cmx_3600"] == {"color": "YELLOW"}
    assert marker["marked_range"]["start_time"]["value"] == 108042.0
    assert marker["marked_range"]["duration"]["value"] == 0.0

    assert (dissolve["OTIO_SCHEMA"], dissolve["transition_type"]) == ("Transition.1", "SMPTE_Dissolve")
    assert (dissolve["in_offset"]["value"], dissolve["out_offset"]["value"]) == (0.0, 15.0)
    assert incoming["name"] == "SHOT_020"
    media = incoming["media_references"]["DEFAULT_MEDIA"]
    assert (media["OTIO_SCHEMA"], media["target_url"]) == ("ExternalReference.1", "file:///media/B002.mov")
    assert "comments" not in incoming["metadata"]["cmx_3600"]


def test_a_log_is_handed_over_as_a_collection_of_clips(tmp_path):
    log = tmp_path / "day1.ale"
    log.write_text(LOG, encoding="ascii")
    collection = json.loads(otio_adapter.timeline_text(str(log)))
    assert collection["OTIO_SCHEMA"] == "SerializableCollection.1"
    assert collection["metadata"]["ALE"]["columns"] == ["Name", "Tape", "Start", "End", "Scene"]
    [clip] = collection["children"]
    assert clip["name"] == "wide"
    # 10:00:00:00 at 25 frames a second, for two seconds.
    assert (clip["source_range"]["start_time"]["value"],
            clip["source_range"]["duration"]["value"]) == (900000.0, 50.0)
    assert clip["metadata"]["ALE"] == {"Name": "wide", "Scene": "12A", "Tape": "T01"}
    assert clip["metadata"]["cmx_3600"]["reel"] == "T01"


def test_a_file_that_is_no_list_is_an_error(tmp_path):
    junk = tmp_path / "notes.txt"
    junk.write_bytes(b"\x00\x01 nothing here\n")
    with pytest.raises(edlbridge.EdlError):
        otio_adapter.timeline_text(str(junk))


# What follows needs OpenTimelineIO itself.

def test_opentimelineio_reads_and_writes_lists_through_the_adapter(tmp_path):
    otio = pytest.importorskip("opentimelineio")
    cut = tmp_path / "cut.edl"
    cut.write_bytes(CUT.encode("ascii"))
    timeline = otio_adapter.read_from_string(CUT)
    assert [clip.name for clip in timeline.find_clips()] == [
        "", "SHOT_010 THE LONG NAME", "SHOT_020"]
    assert timeline.tracks[0][1].metadata["cmx_3600"]["reel"] == "A001C003"
    written = tmp_path / "again.edl"
    otio_adapter.write_to_file(timeline, str(written))
    again = edlbridge.read(str(written))
    assert [(e.reel, str(e.rec_in)) for e in again][1:2] == [("A001C003", "01:00:01:00")]
    collection = otio_adapter.read_from_string(LOG)
    assert isinstance(collection, otio.schema.SerializableCollection)


def test_opentimelineio_finds_the_adapter_by_its_manifest(tmp_path):
    pytest.importorskip("opentimelineio")
    log = tmp_path / "day1.ale"
    log.write_text(LOG, encoding="ascii")
    environment = dict(os.environ, OTIO_PLUGIN_MANIFEST_PATH=str(MANIFEST))
    script = ("import sys, opentimelineio as otio; "
              "c = otio.adapters.read_from_file(sys.argv[1], adapter_name='edlbridge'); "
              "print(type(c).__name__, [clip.name for clip in c.find_clips()])")
    result = subprocess.run([sys.executable, "-c", script, str(log)], env=environment,
                            capture_output=True, text=True)
    assert result.returncode == 0, result.stderr
    assert result.stdout.strip() == "SerializableCollection ['wide']"
