#!/usr/bin/env python3
"""Structure of the timeline pictures of edlbridge, read with an XML parser.

Usage: timeline_check.py TOOL LIST [--diff OLD] [--html] EXPECT...

Runs 'TOOL timeline LIST -o -' and parses what it prints as XML. Every picture must be
self-contained: no script, no event handler attribute, no reference outside the document,
no font or image from elsewhere; every event box inside its lane and the time area. Each
EXPECT is NAME=VALUE, written by hand from the list:
  lanes=V2,V1,A1         the lanes from top to bottom
  boxes=V1:6,A1:1        event boxes per lane (lanes not named have none)
  gaps=V1:1              hatched gaps per lane
  transitions=V1:1       transitions per lane
  markers=V1:2           marker flags per lane
  marked=added:1,moved:2 boxes carrying each change class
  label=TEXT             the first line of some box reads TEXT, as a reader sees it
  rows=N                 (with --html) rows of the event table below its header
"""
import collections
import subprocess
import sys
import xml.etree.ElementTree as ET

SVG = "{http://www.w3.org/2000/svg}"


def fail(message):
    print("timeline_check: " + message, file=sys.stderr)
    sys.exit(1)


def per_lane(elements):
    counts = collections.Counter(e.get("data-lane") for e in elements)
    return ",".join("%s:%d" % (lane, counts[lane]) for lane in sorted(counts))


def expected_per_lane(value):
    pairs = [item.split(":") for item in value.split(",") if item]
    return ",".join("%s:%s" % (lane, n) for lane, n in sorted(pairs))


def classes(element):
    return (element.get("class") or "").split()


def check_self_contained(root):
    for element in root.iter():
        tag = element.tag.split("}")[-1]
        if tag in ("script", "foreignObject", "image", "iframe", "object", "embed", "link"):
            fail("a %s element" % tag)
        for name, value in element.attrib.items():
            local = name.split("}")[-1]
            if local.lower().startswith("on"):
                fail("an event handler attribute %s" % name)
            if local == "href" and not value.startswith("#"):
                fail("a reference outside the picture: %s" % value)
            if "url(" in value and "url(#" not in value:
                fail("a url outside the picture: %s" % value)
        if tag == "style" and element.text and ("@import" in element.text or "url(" in element.text
                                                or "@font-face" in element.text):
            fail("a style that loads something")


def number(element, name):
    return float(element.get(name))


def main(argv):
    if len(argv) < 3:
        fail(__doc__)
    tool, listing = argv[1], argv[2]
    args = [tool, "timeline", listing, "-o", "-"]
    expects = []
    rest = argv[3:]
    html = False
    while rest:
        item = rest.pop(0)
        if item == "--diff":
            args += ["--diff", rest.pop(0)]
        elif item == "--html":
            html = True
            args += ["--format", "html"]
        else:
            expects.append(item.split("=", 1))
    run = subprocess.run(args, capture_output=True)
    if run.returncode != 0:
        fail("the tool failed (%d): %s" % (run.returncode, run.stderr.decode(errors="replace")))
    try:
        document = ET.fromstring(run.stdout)
    except ET.ParseError as error:
        fail("not XML: %s" % error)
    check_self_contained(document)
    if html:
        if document.tag != "html":
            fail("the page is no html element but %s" % document.tag)
        pictures = list(document.iter(SVG + "svg"))
        svg = pictures[0] if pictures else fail("no SVG in the page")
    else:
        svg = document
    if svg.tag != SVG + "svg":
        fail("the root is no SVG element but %s" % svg.tag)

    lanes = [g for g in svg if g.tag == SVG + "g" and "lane" in classes(g)]
    lane_rects = {g.get("data-lane"): g.find(SVG + "rect") for g in lanes}
    groups = [g for g in svg if g.tag == SVG + "g"]
    boxes = [g for g in groups if "event" in classes(g)]
    for box in boxes:
        rect = box.find(SVG + "rect")
        lane = lane_rects.get(box.get("data-lane"))
        if rect is None or lane is None:
            fail("a box without its rectangle or lane")
        top, bottom = number(lane, "y"), number(lane, "y") + number(lane, "height")
        left, right = number(lane, "x"), number(lane, "x") + number(lane, "width")
        x, y = number(rect, "x"), number(rect, "y")
        if not (top <= y and y + number(rect, "height") <= bottom):
            fail("box of edit %s outside lane %s" % (box.get("data-edit"), box.get("data-lane")))
        if not (left <= x and x + number(rect, "width") <= right + 0.05):
            fail("box of edit %s outside the time area" % box.get("data-edit"))
    labels = ["".join(box.find(SVG + "svg").find(SVG + "text").itertext()) for box in boxes]

    found = {
        "lanes": ",".join(g.get("data-lane") for g in lanes),
        "boxes": per_lane(boxes),
        "gaps": per_lane([r for r in svg if "gap" in classes(r)]),
        # A box whose transition changed carries the class too; drawn transitions are no boxes.
        "transitions": per_lane([g for g in groups
                                 if "transition" in classes(g) and "event" not in classes(g)]),
        "markers": per_lane([g for g in groups if "marker" in classes(g)]),
    }
    marked = collections.Counter(c for box in boxes for c in classes(box) if c != "event")
    for name, value in expects:
        if name == "label":
            if value not in labels:
                fail("no box reads %r; the boxes read %r" % (value, labels))
        elif name == "marked":
            want = expected_per_lane(value)
            got = ",".join("%s:%d" % (k, marked[k]) for k in sorted(marked))
            if got != want:
                fail("marked: expected %s, found %s" % (want, got))
        elif name == "rows":
            tables = [t for t in document.iter("table")]
            rows = len(tables[0].findall("tr")) - 1 if tables else -1
            if rows != int(value):
                fail("rows: expected %s, found %d" % (value, rows))
        elif name in found:
            want = value if name == "lanes" else expected_per_lane(value)
            if found[name] != want:
                fail("%s: expected %s, found %s" % (name, want, found[name]))
        else:
            fail("unknown expectation %s" % name)
    print("timeline_check: %s: %d boxes on %d lanes" % (listing, len(boxes), len(lanes)))


if __name__ == "__main__":
    main(sys.argv)
