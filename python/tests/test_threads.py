"""Calls from several threads at once give what the same calls give one at a time."""

from concurrent.futures import ThreadPoolExecutor

import edlbridge
from conftest import DATA, EXAMPLES

LISTS = [EXAMPLES / "harbour_cut.edl", EXAMPLES / "harbour_log.ale",
         DATA / "interchange" / "avid_notes_crlf.edl", DATA / "tools" / "csv_clip_log.csv",
         DATA / "columns" / "ale_interchange_columns.ale"]
TYPES = ["cmx3600", "ale", "ds", "shortcmx", "xjt-list"]


def work(job, folder):
    # Reads a list, writes it twice (from events and by converting) and reads both back.
    source = LISTS[job % len(LISTS)]
    list_type = TYPES[job % len(TYPES)]
    listed = edlbridge.read(str(source))
    written = folder / f"written{job}"
    converted = folder / f"converted{job}"
    edlbridge.write(str(written), listed.events, list_type, title=listed.title)
    edlbridge.convert(str(source), str(converted), list_type)
    lazily = list(edlbridge.iter_events(str(written)))
    return listed.events, lazily, written.read_bytes(), converted.read_bytes()


def test_eight_threads_read_and_write_their_own_lists(tmp_path):
    jobs = range(40)
    alone = tmp_path / "alone"
    alone.mkdir()
    expected = [work(job, alone) for job in jobs]
    together = tmp_path / "together"
    together.mkdir()
    with ThreadPoolExecutor(max_workers=8) as pool:
        results = list(pool.map(lambda job: work(job, together), jobs))
    assert results == expected
    assert all(events for events, _, _, _ in results)
