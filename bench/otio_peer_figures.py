#!/usr/bin/python3
"""Timeline writing side by side with OpenTimelineIO, in one run (by hand, never in CI).

    bench/otio_peer_figures.py BUILD_DIR [--samples DIR ...] [--events N]

BUILD_DIR is a Release build with -DEDLBRIDGE_BUILD_BENCH=ON. Prints:
  1. `convert --to otio` at 1,000 and 1,000,000 events of a generated CMX 3600 list: seconds,
     events a second and peak resident memory;
  2. with OpenTimelineIO importable (its Python path in OTIO_PYTHONPATH or on sys.path, its
     CMX 3600 adapter on OTIO_PLUGIN_MANIFEST_PATH): the size of our .otio against the one
     OpenTimelineIO writes from the same cut list, and the time it takes;
  3. the peer checks: OpenTimelineIO loads every timeline we write from the lists under
     tests/data and those in the sample folders given (lists only read here, never kept),
     sees the same video clips (reel, source in, record in, length), and its CMX 3600 writer
     keeps our reels, clip names, notes, transitions and markers.
Without OpenTimelineIO only part 1 runs.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time
from pathlib import Path

SOURCE = Path(__file__).resolve().parents[1]
LIST_SUFFIXES = {".edl", ".ale", ".log", ".flx"}


def peak_rss(build, *command):
    """Seconds and peak resident kilobytes of command, by edlbridge_peak_rss."""
    started = time.monotonic()
    result = subprocess.run([str(build / "bench" / "edlbridge_peak_rss"), *map(str, command)],
                            capture_output=True, text=True, check=True)
    return time.monotonic() - started, result.stdout.strip()


def cut_list(path, events, fps=30):
    """A one-track cut list: clip names, source files, a located note every tenth event."""
    def tc(frame):
        return "%02d:%02d:%02d:%02d" % (frame // (fps * 3600), frame // (fps * 60) % 60,
                                        frame // fps % 60, frame % fps)
    record = 3600 * fps
    with open(path, "w", encoding="ascii") as out:
        out.write("TITLE: SIDE BY SIDE\nFCM: NON-DROP FRAME\n\n")
        for i in range(events):
            length = 24 + i % 48
            source = 3600 * fps * (1 + i % 20) + i * 7
            out.write("%06d  A%03dC%03d V     C        %s %s %s %s\n" % (
                i % 1000000, i % 100, i % 997, tc(source), tc(source + length), tc(record),
                tc(record + length)))
            out.write("* FROM CLIP NAME: SHOT_%05d_COMP_V%03d\n" % (i, i % 9))
            if i % 10 == 0:
                out.write("* LOC: %s RED     CHECK %d\n" % (tc(record + 2), i))
            out.write("* ROLL %03d\n" % (i % 50))
            record += length


def tool(build, *args):
    return subprocess.run([str(build / "tools" / "edlbridge"), *map(str, args)],
                          capture_output=True)


def writing_figures(build, work):
    print("== convert --to otio (peak_rss: seconds, kilobytes)")
    for events in (1000, 1000000):
        listed = work / f"list_{events}.edl"
        cut_list(listed, events)
        seconds, rss = peak_rss(build, build / "tools" / "edlbridge", "convert", listed, "--to",
                                "otio", "-o", work / "out.otio", "--quiet")
        size = (work / "out.otio").stat().st_size
        print(f"{events:>9} events: {seconds:7.2f} s wall  {events / seconds:9.0f} events/s  "
              f"{rss}  .otio {size / events:.0f} bytes/event")


def size_figures(build, work, otio, events):
    print(f"== size against OpenTimelineIO's own, {events} events")
    listed = work / "size.edl"
    cut_list(listed, events)
    started = time.monotonic()
    ours = work / "ours.otio"
    tool(build, "convert", listed, "--to", "otio", "-o", ours, "--quiet")
    our_seconds = time.monotonic() - started
    started = time.monotonic()
    timeline = otio.adapters.read_from_file(str(listed), "cmx_3600", rate=30)
    theirs = work / "theirs.otio"
    otio.adapters.write_to_file(timeline, str(theirs), "otio_json")
    their_seconds = time.monotonic() - started
    ratio = ours.stat().st_size / theirs.stat().st_size
    print(f"ours {ours.stat().st_size} bytes in {our_seconds:.2f} s; OpenTimelineIO "
          f"{theirs.stat().st_size} bytes in {their_seconds:.2f} s; ratio {ratio:.3f}")


def our_events(build, path):
    result = tool(build, "dump", path, "--format", "json")
    if result.returncode != 0:
        return None
    return json.loads(result.stdout)


def video_clips_seen(otio, timeline, rate):
    """(reel, source in, record in, length) of every video clip, in frames, as OTIO maps it."""
    seen = set()
    if not isinstance(timeline, otio.schema.Timeline):
        return seen
    for track in timeline.video_tracks():
        for clip in track.find_clips():
            trimmed = clip.trimmed_range()
            if not clip.enabled or trimmed.duration.value <= 0:
                continue  # no event of the list is a clip of no length
            record = clip.transformed_time_range(trimmed, timeline.tracks)
            start = timeline.global_start_time.rescaled_to(rate).value if \
                timeline.global_start_time else 0
            seen.add((clip.metadata.get("cmx_3600", {}).get("reel", ""),
                      round(trimmed.start_time.rescaled_to(rate).value),
                      round(record.start_time.rescaled_to(rate).value + start),
                      round(trimmed.duration.rescaled_to(rate).value)))
    return seen


def video_clips_listed(dumped):
    clips = set()
    for e in dumped["events"]:
        length = e["rec_out"]["frames"] - e["rec_in"]["frames"]
        if "V" not in e["tracks"] or length <= 0:
            continue
        clips.add((e["reel"], e["src_in"]["frames"], e["rec_in"]["frames"], length))
    return clips


def lost_notes(ours, theirs):
    """Our notes its CMX list does not have: markers by their timecode, other notes by their
    text; names and files, which it writes its own way, are left to the other checks."""
    their_notes = {n.strip().lstrip("*").strip() for e in theirs for n in e["notes"]}
    their_locs = {n.split()[1] for n in their_notes if n.upper().startswith("LOC:")
                  and len(n.split()) > 1}
    lost = []
    for e in ours:
        for note in e["notes"]:
            text = note.strip().lstrip("*").strip()
            upper = text.upper()
            if not text or upper.startswith(("FROM CLIP NAME", "TO CLIP NAME", "SOURCE FILE",
                                             "FROM FILE", "FROM CLIP", "M2 ")):
                continue
            if upper.startswith("LOC:"):
                words = text.split()
                if len(words) > 1 and words[1] not in their_locs:
                    lost.append(text)
            elif text not in their_notes:
                lost.append(text)
    return lost


def lists_under(folder):
    # Lists, but for the expected outputs of the tool's tests.
    return sorted(p for p in Path(folder).rglob("*")
                  if p.is_file() and p.suffix.lower() in LIST_SUFFIXES and "golden" not in p.parts)


def peer_checks(build, work, otio, label, lists):
    written = loaded = same = kept_reels = kept_names = kept_all = cmx_checked = 0
    failures = []
    for path in lists:
        target = work / "check.otio"
        if tool(build, "convert", path, "--to", "otio", "-o", target, "--quiet").returncode:
            continue  # not a list we read
        written += 1
        try:
            timeline = otio.adapters.read_from_file(str(target), "otio_json")
        except Exception as error:  # noqa: BLE001 - any refusal is a finding
            failures.append(f"{path.name}: OpenTimelineIO refuses it: {error}")
            continue
        loaded += 1
        dumped = our_events(build, path)
        if dumped is None or not isinstance(timeline, otio.schema.Timeline):
            same += 1  # a log: a collection, no record times to compare
            continue
        listed = video_clips_listed(dumped)
        seen = video_clips_seen(otio, timeline, round(dumped["frame_rate"]))
        if listed == seen:
            same += 1
        else:
            failures.append(f"{path.name}: clips differ: {sorted(listed ^ seen)[:3]}")
        # OpenTimelineIO's CMX 3600 writer on our timeline.
        try:
            text = otio.adapters.write_to_string(timeline, "cmx_3600")
        except Exception as error:  # noqa: BLE001
            failures.append(f"{path.name}: its CMX writer refuses it: {error}")
            continue
        cmx_checked += 1
        back = work / "back.edl"
        back.write_text(text, encoding="utf-8")
        again = our_events(build, back)
        if again is None:
            failures.append(f"{path.name}: its CMX list does not read back")
            continue
        ours = [e for e in dumped["events"] if "V" in e["tracks"]
                and e["rec_out"]["frames"] > e["rec_in"]["frames"]]
        theirs = [e for e in again["events"] if e["rec_out"]["frames"] > e["rec_in"]["frames"]]
        reels = sorted(e["reel"] for e in ours) == sorted(e["reel"] for e in theirs)
        names = sorted(e["clip_name"] for e in ours if e["clip_name"]) == \
            sorted(e["clip_name"] for e in theirs if e["clip_name"])
        lost = lost_notes(ours, theirs)
        dissolves = sum(e["edit_type"] == "D" for e in ours) == \
            sum(e["edit_type"] == "D" for e in theirs)
        kept_reels += reels
        kept_names += names
        kept_all += reels and names and not lost and dissolves
        if not (reels and names and not lost and dissolves):
            failures.append(f"{path.name}: its CMX writer keeps reels {reels}, names {names}, "
                            f"dissolves {dissolves}; notes lost: {lost[:2]}")
    print(f"== peer checks, {label}: {written} timelines written")
    print(f"loaded by OpenTimelineIO: {loaded}/{written}")
    print(f"same video clips (reel, source in, record in, length): {same}/{loaded} "
          f"({100.0 * same / max(loaded, 1):.1f}%)")
    print(f"its CMX 3600 writer keeps our reels in {kept_reels}/{cmx_checked}, clip names in "
          f"{kept_names}/{cmx_checked}, and reels, names, notes and dissolves in "
          f"{kept_all}/{cmx_checked}")
    for failure in failures[:40]:
        print("  " + failure)


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", type=Path)
    parser.add_argument("--samples", action="append", default=[],
                        help="a folder of sample lists to check against (read only)")
    parser.add_argument("--events", type=int, default=20000)
    args = parser.parse_args()
    paths = os.environ.get("OTIO_PYTHONPATH", "")
    sys.path[:0] = [p for p in paths.split(":") if p]
    try:
        import opentimelineio as otio
    except ImportError:
        otio = None
    with tempfile.TemporaryDirectory(prefix="edlbridge-otio-figures-") as folder:
        work = Path(folder)
        writing_figures(args.build.resolve(), work)
        if otio is None:
            print("OpenTimelineIO cannot be imported: no side-by-side figures")
            return
        size_figures(args.build.resolve(), work, otio, args.events)
        peer_checks(args.build.resolve(), work, otio, "test lists", lists_under(SOURCE / "tests" / "data"))
        for folder in args.samples:
            peer_checks(args.build.resolve(), work, otio, folder, lists_under(folder))


if __name__ == "__main__":
    main()
