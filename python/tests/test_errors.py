"""Failures raise EdlError subclasses naming the file and the reason, as the tool reports
them, and leave no file behind."""

import os
import subprocess
import sys

import pytest

import edlbridge
from conftest import DATA, EXAMPLES, run_tool
from edlbridge import Event

SAMPLE = str(EXAMPLES / "harbour_cut.edl")


def refusals(tmp_path):
    return [
        (str(tmp_path / "missing.edl"), edlbridge.OpenError, "cannot open: No such file or directory"),
        (str(tmp_path), edlbridge.OpenError, "cannot open: is a directory"),
        ("/dev/null", edlbridge.OpenError, "cannot open: not a regular file"),
        ("", edlbridge.OpenError, "cannot open: No such file or directory"),
        (str(tmp_path / ("x" * 300)), edlbridge.OpenError, "cannot open: File name too long"),
        (str(DATA / "tools" / "premiere_refused.txt"), edlbridge.NotAListError,
         "not a list edlbridge can read: no event line, list header (TITLE, FCM, *DS), log heading"
         " or known column line found (see 'edlbridge types')"),
    ]


def test_reading_refusals_match_the_tools(tool, tmp_path):
    for path, kind, reason in refusals(tmp_path):
        for call in (edlbridge.read, edlbridge.iter_events, edlbridge.detect):
            with pytest.raises(kind) as caught:
                call(path)
            assert (caught.value.path, caught.value.reason) == (path, reason)
            assert str(caught.value) == f"{path}: {reason}"
        stderr = run_tool(tool, "dump", path).stderr.decode()
        assert stderr == f"edlbridge: {path}: {reason}\n"


@pytest.mark.parametrize("list_type, reason", [
    (999, "unknown list type 999"),
    ("cmx3601", "unknown list type 'cmx3601'"),
    ("csv", "list type 'csv' cannot be written"),
    (256, "list type 'none' cannot be written"),
])
def test_unknown_or_unwritable_types_are_refused_before_writing(tmp_path, list_type, reason):
    target = tmp_path / "out.edl"
    for call in (lambda: edlbridge.write(str(target), [], list_type),
                 lambda: edlbridge.convert(SAMPLE, str(target), list_type)):
        with pytest.raises(edlbridge.UnknownListTypeError) as caught:
            call()
        assert caught.value.reason == reason
        assert isinstance(caught.value, ValueError)
    assert not target.exists()


def test_a_folder_that_is_missing_cannot_be_written(tmp_path):
    target = str(tmp_path / "no" / "out.edl")
    with pytest.raises(edlbridge.WriteError) as caught:
        edlbridge.write(target, [], "cmx3600")
    assert caught.value.reason == "cannot create: No such file or directory"


@pytest.mark.parametrize("event", [
    Event(video_tracks=[33]), Event(audio_tracks=[0]), Event(src_in=-1),
    Event(src_in="01:00:00:00"),
])
def test_an_event_that_cannot_be_written_leaves_no_file(tmp_path, event):
    target = tmp_path / "out.edl"
    with pytest.raises((ValueError, TypeError)):
        edlbridge.write(str(target), [Event(edit=1), event], "cmx3600")
    assert not target.exists()


@pytest.mark.skipif(not os.path.exists("/dev/full"), reason="no /dev/full")
def test_a_full_disk_is_a_write_failure_and_the_device_stays(tmp_path):
    # Through a link, so that only the link could go if the device were taken for a file.
    full = tmp_path / "full"
    full.symlink_to("/dev/full")
    with pytest.raises(edlbridge.WriteError) as caught:
        edlbridge.write(str(full), [Event(edit=n, reel="R") for n in range(1, 2000)], "cmx3600")
    assert caught.value.reason == "write failed"
    assert full.is_symlink()


def test_convert_never_overwrites_its_source(tmp_path):
    source = tmp_path / "cut.edl"
    source.write_bytes((EXAMPLES / "harbour_cut.edl").read_bytes())
    os.link(source, tmp_path / "same.edl")
    for target in (source, tmp_path / "same.edl"):
        with pytest.raises(edlbridge.WriteError) as caught:
            edlbridge.convert(str(source), str(target), "cmx3600")
        assert caught.value.reason == "would overwrite the input list"
    assert source.read_bytes() == (EXAMPLES / "harbour_cut.edl").read_bytes()


def test_a_read_failure_midway_leaves_no_converted_file(tmp_path):
    target = tmp_path / "out.edl"
    with pytest.raises(edlbridge.NotAListError):
        edlbridge.convert(str(DATA / "tools" / "premiere_refused.txt"), str(target), "cmx3600")
    assert not target.exists()


def probe(variable: str, library: str) -> subprocess.CompletedProcess:
    code = ("import sys\n"
            "try:\n import edlbridge\n"
            "except ImportError as e:\n print(type(e).__name__, e.path == sys.argv[2], e.reason.split(':')[0])\n"
            "else:\n print(edlbridge.read(sys.argv[1]).events[0].clip_name)\n")
    environment = dict(os.environ, **{variable: library})
    return subprocess.run([sys.executable, "-c", code, SAMPLE, library], capture_output=True,
                          text=True, env=environment)


@pytest.mark.parametrize("variable, name", [("EDLBRIDGE_LIBRARY", "libedlbridge.so.1"),
                                            ("EDLCONVERT_LIBRARY", "libedlconvert.so.1")])
def test_the_libraries_named_by_the_environment_are_the_ones_loaded(tmp_path, variable, name):
    missing = probe(variable, str(tmp_path / name))
    assert missing.stdout == "LibraryError True cannot load the library\n", missing.stderr
    import edlbridge._library as loader
    loaded = (loader.library() if variable == "EDLBRIDGE_LIBRARY" else loader.converter())._name
    assert probe(variable, loaded).stdout == "harbour_wide\n"
