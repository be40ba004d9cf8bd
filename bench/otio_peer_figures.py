#!/usr/bin/python3
"""Timeline writing side by side with OpenTimelineIO, in one run (by hand, never in CI).

    bench/otio_peer_figures.py BUILD_DIR [--samples DIR ...] [--events N] [--peer-only]

BUILD_DIR is a Release build with -DEDLBRIDGE_BUILD_BENCH=ON. Prints:
  1. `convert --to otio` at 1,000 and 1,000,000 events of a generated CMX 3600 list: seconds,
     events a second and peak resident memory;
  2. with OpenTimelineIO importable (its Python path in OTIO_PYTHONPATH or on sys.path, its
     CMX 3600 adapter on OTIO_PLUGIN_MANIFEST_PATH): the size of our .otio against the one
     OpenTimelineIO writes from the same cut list, and the time it takes;
  3. the peer checks: OpenTimelineIO loads every timeline we write from the lists under
     tests/data and those in the sample folders given (lists only read here, never kept),
     sees the same video clips (reel, source in, record in, length), by timeline and by
     clip, and its CMX 3600 writer keeps our reels, clip names, notes, transitions and
     markers;
  4. the reading check: of the timelines OpenTimelineIO writes from the CMX lists among them
     (its CMX 3600 reader, rate as we read the list), the video clips we read with the reel,
     source in, record in, length and clip name it holds, and the timelines read as empty;
     also against the list its own CMX 3600 writer makes of each timeline it takes.
Every list that misses is listed with what differs. Without OpenTimelineIO only part 1
runs; --peer-only runs parts 3 and 4 alone.
"""

import argparse
import json
import os
import subprocess
import sys
import tempfile
import time
from collections import Counter
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


def listed_reel(clip):
    """The reel a clip keeps; OTIO's CMX 3600 reader keeps none for 'AX', the list's word for
    a source without one."""
    return clip.metadata.get("cmx_3600", {}).get("reel", "AX")


def written_reel(clip):
    """The reel OTIO's CMX 3600 writer gives a clip: its own, else one it makes of the clip's
    name or media (its adapter's function, run, not copied)."""
    if "reel" in clip.metadata.get("cmx_3600", {}):
        return clip.metadata["cmx_3600"]["reel"]
    from otio_cmx3600_adapter import cmx_3600
    return cmx_3600._reel_from_clip(clip, 8).strip()


def listed_name(clip):
    return clip.name


def written_name(clip):
    """The clip name OTIO's CMX 3600 writer gives a clip: a freeze frame's with ' FF' after
    it, which its reader takes off."""
    frozen = any(type(effect).__name__ == "FreezeFrame" for effect in clip.effects)
    return clip.name + " FF" if frozen else clip.name


def video_clips_seen(otio, timeline, rate, names=False, reel=listed_reel, name=listed_name):
    """(reel, source in, record in, length[, name]) of every video clip, in frames, as OTIO
    maps it to record time, counted."""
    seen = Counter()
    if not isinstance(timeline, otio.schema.Timeline):
        return seen
    start = timeline.global_start_time.rescaled_to(rate).value if \
        timeline.global_start_time else 0
    for track in timeline.video_tracks():
        for clip in track.find_clips():
            trimmed = clip.trimmed_range()
            if not clip.enabled or trimmed.duration.value <= 0:
                continue  # no event of the list is a clip of no length
            record = clip.transformed_time_range(trimmed, timeline.tracks)
            key = (reel(clip), round(trimmed.start_time.rescaled_to(rate).value),
                   round(record.start_time.rescaled_to(rate).value + start),
                   round(trimmed.duration.rescaled_to(rate).value))
            seen[key + ((name(clip),) if names else ())] += 1
    return seen


def on_video(event):
    # An event that names no track is placed on V1.
    return event["video_tracks"] != 0 or event["audio_tracks"] == 0


def video_clips_listed(dumped, names=False):
    """The same of every video event of our reading of a list, counted."""
    clips = Counter()
    for e in dumped["events"]:
        length = e["rec_out"]["frames"] - e["rec_in"]["frames"]
        if not on_video(e) or length <= 0:
            continue
        key = (e["reel"], e["src_in"]["frames"], e["rec_in"]["frames"], length)
        # A clip on each of its video tracks.
        clips[key + ((e["clip_name"],) if names else ())] += bin(e["video_tracks"]).count("1") or 1
    return clips


def differences(expected, found, limit=3):
    """What one side has that the other has not, a few of each."""
    missing = sorted((expected - found).elements())[:limit]
    extra = sorted((found - expected).elements())[:limit]
    return f"missing {missing}, instead {extra}"


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


def lists_under(folder, suffixes=LIST_SUFFIXES):
    # Lists, but for the expected outputs of the tool's tests.
    return sorted(p for p in Path(folder).rglob("*")
                  if p.is_file() and p.suffix.lower() in suffixes and "golden" not in p.parts)


def percent(part, whole):
    return f"{part}/{whole} ({100.0 * part / max(whole, 1):.1f}%)"


class Figures:
    """Counts by list and by clip, and the lists that miss with why."""

    def __init__(self):
        self.counts = Counter()
        self.misses = []

    def miss(self, path, why):
        self.misses.append(f"{path.name}: {why}")

    def print_misses(self):
        for miss in self.misses:
            print("  " + miss)


def their_cmx_check(build, work, otio, path, timeline, dumped, figures):
    """OpenTimelineIO's CMX 3600 writer on our timeline: reels, clip names, notes and
    dissolves of our video events in what it writes, read back by us."""
    c = figures.counts
    try:
        text = otio.adapters.write_to_string(timeline, "cmx_3600")
    except Exception as error:  # noqa: BLE001 - a refusal is a finding
        c["cmx refused"] += 1
        figures.miss(path, f"its CMX writer refuses it: {error}")
        return
    back = work / "back.edl"
    back.write_text(text, encoding="utf-8")
    again = our_events(build, back)
    if again is None:
        figures.miss(path, "its CMX list does not read back")
        return
    c["cmx written"] += 1
    ours = [e for e in dumped["events"] if on_video(e)
            and e["rec_out"]["frames"] > e["rec_in"]["frames"]]
    theirs = [e for e in again["events"] if e["rec_out"]["frames"] > e["rec_in"]["frames"]]
    # An event without a reel has none to keep: any reel its writer gives it will do.
    our_reels = Counter(e["reel"] for e in ours if e["reel"])
    kept = our_reels & Counter(e["reel"] for e in theirs)
    c["reels"] += sum(our_reels.values())
    c["reels kept"] += sum(kept.values())
    reels = kept == our_reels
    names = sorted(e["clip_name"] for e in ours if e["clip_name"]) == \
        sorted(e["clip_name"] for e in theirs if e["clip_name"])
    lost = lost_notes(ours, theirs)
    dissolves = sum(e["edit_type"] == "D" for e in ours) == \
        sum(e["edit_type"] == "D" for e in theirs)
    c["cmx reels kept"] += reels
    c["cmx names kept"] += names
    c["cmx all kept"] += reels and names and not lost and dissolves
    if not (reels and names and not lost and dissolves):
        figures.miss(path, f"its CMX writer keeps reels {reels}, names {names}, dissolves "
                           f"{dissolves}; notes lost: {lost[:2]}")


def peer_checks(build, work, otio, label, lists):
    """OpenTimelineIO on the timelines we write: does it load them, does it see our video
    clips where our list has them, does its CMX 3600 writer keep them."""
    figures = Figures()
    c = figures.counts
    for path in lists:
        target = work / "check.otio"
        if tool(build, "convert", path, "--to", "otio", "-o", target, "--quiet").returncode:
            continue  # not a list we read
        c["written"] += 1
        try:
            timeline = otio.adapters.read_from_file(str(target), "otio_json")
        except Exception as error:  # noqa: BLE001 - any refusal is a finding
            figures.miss(path, f"OpenTimelineIO refuses it: {error}")
            continue
        c["loaded"] += 1
        dumped = our_events(build, path)
        # Saved again by OpenTimelineIO, the timeline reads back into the same events.
        saved = work / "saved.otio"
        otio.adapters.write_to_file(timeline, str(saved), "otio_json")
        ours = our_events(build, target)
        again = our_events(build, saved)
        # (A log of no clips reads as an error either way.)
        same_events = (ours is None and again is None) or (
            ours is not None and again is not None and ours["events"] == again["events"])
        c["saved same"] += same_events
        if not same_events:
            figures.miss(path, "saved again by OpenTimelineIO, it reads back otherwise")
        if dumped is None or not isinstance(timeline, otio.schema.Timeline):
            c["logs"] += 1  # a collection of clips: no record times to compare
            continue
        c["timelines"] += 1
        listed = video_clips_listed(dumped)
        seen = video_clips_seen(otio, timeline, round(dumped["frame_rate"]))
        c["clips"] += sum(listed.values())
        c["clips seen"] += sum((listed & seen).values())
        if listed == seen:
            c["same"] += 1
        else:
            figures.miss(path, "clips differ: " + differences(listed, seen))
        their_cmx_check(build, work, otio, path, timeline, dumped, figures)
    print(f"== OpenTimelineIO on our timelines, {label}: {c['written']} lists written")
    print(f"loaded by OpenTimelineIO: {percent(c['loaded'], c['written'])}; saved again by "
          f"it, read back into the same events: {percent(c['saved same'], c['loaded'])}")
    print(f"timelines whose video clips it sees as our list has them (reel, source in, record "
          f"in, length): {percent(c['same'], c['timelines'])}; logs, a collection of clips "
          f"each: {c['logs']}")
    print(f"video clips it sees so: {percent(c['clips seen'], c['clips'])}")
    print(f"its CMX 3600 writer takes {c['cmx written']} of {c['timelines']} timelines "
          f"(refuses {c['cmx refused']}); of those it keeps every reel in "
          f"{percent(c['cmx reels kept'], c['cmx written'])}, {percent(c['reels kept'], c['reels'])}"
          f" of the reels; clip names in {c['cmx names kept']}, reels, names, notes and "
          f"dissolves in {c['cmx all kept']}")
    figures.print_misses()


def rate_of(dumped):
    # The rate as we read the list, whole but for drop frame, which OTIO takes at 29.97 only;
    # 24, OTIO's own default, for a list we do not read.
    if not dumped:
        return 24
    return dumped["frame_rate"] if dumped["timecode_mode_name"] == "df" else round(dumped["frame_rate"])


def events_by_time(dumped, drop_frame):
    """(reel, source in, record in, record out) of every video event, as timecodes: a CMX
    list OTIO writes says nothing of its rate. At 29.97 it writes drop frame timecodes, which
    we read as such, but a timeline at 29.97 that says no more is read as non-drop: there
    the frames are compared."""
    unit = "frames" if drop_frame else "timecode"
    return Counter((e["reel"], e["src_in"][unit], e["rec_in"][unit], e["rec_out"][unit])
                   for e in dumped["events"]
                   if on_video(e) and e["rec_out"]["frames"] > e["rec_in"]["frames"])


def reading_oracle(build, work, otio, label, lists):
    """Timelines OpenTimelineIO writes from CMX lists (its CMX 3600 reader, then its own
    JSON): the video clips we read from each, against those it holds (reel, source in,
    record in, length, clip name), and against the list its CMX 3600 writer makes of it."""
    figures = Figures()
    c = figures.counts
    for path in lists:
        dumped = our_events(build, path)
        rate = rate_of(dumped)
        try:
            timeline = otio.adapters.read_from_file(str(path), "cmx_3600", rate=rate)
        except Exception as error:  # noqa: BLE001 - a list it refuses gives no timeline
            # As its documentation advises: again, taking the source times as they are.
            try:
                timeline = otio.adapters.read_from_file(str(path), "cmx_3600", rate=rate,
                                                        ignore_timecode_mismatch=True)
                c["mismatch"] += 1
            except Exception:  # noqa: BLE001
                c["refused"] += 1
                figures.miss(path, f"its CMX 3600 reader refuses the list: "
                                   f"{type(error).__name__}: {str(error)[:90]}")
                continue
        target = work / "theirs.otio"
        otio.adapters.write_to_file(timeline, str(target), "otio_json")
        c["timelines"] += 1
        held = video_clips_seen(otio, timeline, rate, names=True, reel=written_reel,
                                name=written_name)
        held_as_listed = video_clips_seen(otio, timeline, rate, names=True)
        read = our_events(build, target)
        found = video_clips_listed(read, names=True) if read is not None else Counter()
        c["clips"] += sum(held.values())
        c["clips read"] += sum((held & found).values())
        c["clips read ax"] += sum((held_as_listed & found).values())
        if held and not found:
            c["empty"] += 1
            figures.miss(path, "read as empty" if read is not None else "not read")
        elif held == found:
            c["same"] += 1
        else:
            figures.miss(path, "clips differ: " + differences(held, found))
        # Its own CMX 3600 writer on the timeline: the events we read are those it writes.
        try:
            text = otio.adapters.write_to_string(timeline, "cmx_3600", rate=rate)
        except Exception:  # noqa: BLE001 - counted; the clips above are the figure
            c["cmx refused"] += 1
            continue
        back = work / "theirs.edl"
        back.write_text(text, encoding="utf-8")
        written = our_events(build, back)
        if written is None or read is None:
            continue
        c["cmx written"] += 1
        expected = events_by_time(written, rate != round(rate))
        ours = events_by_time(read, rate != round(rate))
        c["cmx clips"] += sum(expected.values())
        c["cmx clips read"] += sum((expected & ours).values())
        if expected != ours:
            figures.miss(path, "against its CMX writer: " + differences(expected, ours))
    print(f"== reading timelines OpenTimelineIO writes from CMX lists, {label}: "
          f"{c['timelines']} timelines ({c['mismatch']} of them read with "
          f"ignore_timecode_mismatch; {c['refused']} lists its CMX 3600 reader refuses)")
    print(f"video clips read with their reel (the clip's, else the one its CMX writer gives "
          f"it), source in, record in, length and clip name: "
          f"{percent(c['clips read'], c['clips'])}; timelines read whole: "
          f"{percent(c['same'], c['timelines'])}; read as empty: {c['empty']}")
    print(f"the same with 'AX' for a clip without a reel and the clip's own name: "
          f"{percent(c['clips read ax'], c['clips'])}")
    print(f"against the list its CMX 3600 writer makes ({c['cmx written']} timelines, "
          f"{c['cmx refused']} refused): video events read {percent(c['cmx clips read'], c['cmx clips'])}")
    figures.print_misses()


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("build", type=Path)
    parser.add_argument("--samples", action="append", default=[],
                        help="a folder of sample lists to check against (read only)")
    parser.add_argument("--events", type=int, default=20000)
    parser.add_argument("--peer-only", action="store_true",
                        help="only the checks against OpenTimelineIO, no timings")
    args = parser.parse_args()
    paths = os.environ.get("OTIO_PYTHONPATH", "")
    sys.path[:0] = [p for p in paths.split(":") if p]
    try:
        import opentimelineio as otio
    except ImportError:
        otio = None
    with tempfile.TemporaryDirectory(prefix="edlbridge-otio-figures-") as folder:
        work = Path(folder)
        if not args.peer_only:
            writing_figures(args.build.resolve(), work)
        if otio is None:
            print("OpenTimelineIO cannot be imported: no side-by-side figures")
            return
        build = args.build.resolve()
        if not args.peer_only:
            size_figures(build, work, otio, args.events)
        folders = [("test lists", SOURCE / "tests" / "data")] + [(f, f) for f in args.samples]
        for label, folder in folders:
            peer_checks(build, work, otio, label, lists_under(folder))
        for label, folder in folders:
            reading_oracle(build, work, otio, label, lists_under(folder, {".edl"}))


if __name__ == "__main__":
    main()
