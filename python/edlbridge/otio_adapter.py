"""An OpenTimelineIO adapter for every list and log edlbridge reads or writes.

With ``plugin_manifest.json`` of this package on ``OTIO_PLUGIN_MANIFEST_PATH`` (or the
package installed with its ``opentimelineio.plugins`` entry point)::

    import opentimelineio as otio

    timeline = otio.adapters.read_from_file("cut.flx", adapter_name="edlbridge")
    otio.adapters.write_to_file(timeline, "cut.edl", adapter_name="edlbridge",
                                list_type="cmx3600")

and ``otioconvert -i log.ale -o cut.otio -a edlbridge``. Nothing here builds OpenTimelineIO
objects by hand: a list is converted into edlbridge's timeline text (the bytes
``edlbridge convert --to otio`` writes), which OpenTimelineIO's own JSON adapter reads; a
timeline is written by OpenTimelineIO's JSON adapter and converted from that text. A log
becomes a ``SerializableCollection`` of clips, a list a ``Timeline``.

This module imports OpenTimelineIO only when a function is called; ``timeline_text`` and
``list_type_for`` work without it.
"""

import importlib
import os
import sys
import tempfile
from typing import Any, Optional, Union

# OpenTimelineIO loads an adapter by its file name, outside its package: the package is
# imported by name, from the folder that holds it when it is not on the path.
try:
    from edlbridge import ListType, convert
except ImportError:  # pragma: no cover - depends on how the plugin was found
    sys.path.insert(0, os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    from edlbridge import ListType, convert

__all__ = ["list_type_for", "read_from_file", "read_from_string", "timeline_text",
           "write_to_file"]

# The list type written for a suffix several types share, or that a reader expects.
_PREFERRED = {
    "edl": "cmx3600",
    "log": "cmx3600",
    "ale": "ale",
    "alg": "ale",
    "flx": "flex",
    "flex": "flex",
}


def _opentimelineio() -> Any:
    return importlib.import_module("opentimelineio")


def list_type_for(path: str) -> ListType:
    """The list type a file named ``path`` is written as: by its suffix, CMX 3600 for a
    suffix the catalogue does not know."""
    suffix = os.path.splitext(path)[1].lstrip(".").lower()
    if suffix in _PREFERRED:
        return ListType.parse(_PREFERRED[suffix])
    for member in ListType:
        if suffix and member.writable and suffix in (member.extension, member.alternative_extension):
            return member
    return ListType.parse("cmx3600")


def timeline_text(filepath: str, *, title: Optional[str] = None,
                  timecode_mode: Optional[Union[int, str]] = None) -> str:
    """The list or log at ``filepath`` as edlbridge's OpenTimelineIO JSON text."""
    with tempfile.TemporaryDirectory(prefix="edlbridge-otio-") as folder:
        target = os.path.join(folder, "timeline.otio")
        convert(filepath, target, "otio", title=title, timecode_mode=timecode_mode)
        with open(target, encoding="utf-8") as written:
            return written.read()


def read_from_file(filepath: str, title: Optional[str] = None,
                   timecode_mode: Optional[Union[int, str]] = None) -> Any:
    """Reads a list or log (its dialect found from its contents) as an OpenTimelineIO
    ``Timeline``, or a log as a ``SerializableCollection`` of clips."""
    otio = _opentimelineio()
    return otio.adapters.read_from_string(
        timeline_text(filepath, title=title, timecode_mode=timecode_mode), "otio_json")


def read_from_string(input_str: Union[str, bytes], title: Optional[str] = None,
                     timecode_mode: Optional[Union[int, str]] = None) -> Any:
    """read_from_file() for the text of a list."""
    data = input_str.encode("utf-8", "surrogateescape") if isinstance(input_str, str) \
        else bytes(input_str)
    with tempfile.TemporaryDirectory(prefix="edlbridge-otio-") as folder:
        source = os.path.join(folder, "list")
        with open(source, "wb") as listed:
            listed.write(data)
        return read_from_file(source, title=title, timecode_mode=timecode_mode)


def write_to_file(input_otio: Any, filepath: str,
                  list_type: Optional[Union[ListType, int, str]] = None,
                  title: Optional[str] = None,
                  timecode_mode: Optional[Union[int, str]] = None) -> None:
    """Writes a timeline (or a collection of clips) as a list of ``list_type``, by default the
    type the suffix of ``filepath`` names (list_type_for)."""
    otio = _opentimelineio()
    chosen = list_type if list_type is not None else list_type_for(filepath)
    with tempfile.TemporaryDirectory(prefix="edlbridge-otio-") as folder:
        source = os.path.join(folder, "timeline.otio")
        otio.adapters.write_to_file(input_otio, source, "otio_json")
        convert(source, filepath, chosen, title=title, timecode_mode=timecode_mode)
