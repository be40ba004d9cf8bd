"""python -m edlbridge: the commands of the edlbridge tool, run through this module.

Each command asks the conversion library for its text and prints it, as the tool does.
Exit status: 0 success, 1 a file failed (diff: the cuts differ), 2 bad usage.
"""

import argparse
import ctypes
import sys
from typing import List, Optional

from . import _records as rec
from ._calls import Host, file_name
from ._changes import timeline
from ._errors import EdlError, UnknownListTypeError
from ._library import converter
from ._lists import convert, detect
from ._version import __version__

OK, FAILED, USAGE = 0, 1, 2
_DUMP_FORMATS = {"table": rec.EDLC_FORMAT_TABLE, "json": rec.EDLC_FORMAT_JSON,
                 "csv": rec.EDLC_FORMAT_CSV}
_DIFF_FORMATS = {"table": rec.EDLC_FORMAT_TABLE, "json": rec.EDLC_FORMAT_JSON}


def _out(text: str) -> None:
    sys.stdout.buffer.write(text.encode("utf-8", "surrogateescape"))


def _types(_args: argparse.Namespace) -> int:
    host = Host(sys.stdout.buffer)
    status = rec.edlcStatus()
    result = converter().edlcWriteTypes(ctypes.byref(host.options(format=rec.EDLC_FORMAT_TABLE)),
                                        ctypes.byref(status))
    host.finish(result, status, "types")
    return OK


def _detect(args: argparse.Namespace) -> int:
    # Text summaries are separated by an empty line, JSON objects make one array.
    shown: List[str] = []
    status = OK
    for name in args.files:
        try:
            shown.append(detect(name, format=args.format).rstrip("\n"))
        except EdlError as error:
            _report(error)
            status = FAILED
    if args.format == "json":
        _out("[\n" + ",\n".join(shown) + "\n]\n" if shown else "[]\n")
    elif shown:
        _out("\n\n".join(shown) + "\n")
    return status


def _dump(args: argparse.Namespace) -> int:
    # Events are printed as they are read, like the tool: a failure after the first leaves
    # the text incomplete, and the report says why.
    host = Host(sys.stdout.buffer)
    name = file_name(args.file)
    options = host.options(format=_DUMP_FORMATS[args.format], name=name)
    status = rec.edlcStatus()
    result = converter().edlcDump(name, ctypes.byref(options), ctypes.byref(status))
    host.finish(result, status, args.file)
    return OK


def _convert(args: argparse.Namespace) -> int:
    events = convert(args.input, args.output, args.to, timecode_mode=args.fcm, title=args.title)
    if args.output != "-" and not args.quiet:
        _out(f"wrote {args.output} ({args.to}, {events} events)\n")
    return OK


def _diff(args: argparse.Namespace) -> int:
    host = Host(sys.stdout.buffer)
    options = host.options(format=_DIFF_FORMATS[args.format],
                           flags=rec.EDLC_ALL if args.all else 0)
    same, status = ctypes.c_int(0), rec.edlcStatus()
    result = converter().edlcDiff(file_name(args.old), file_name(args.new), ctypes.byref(options),
                                  ctypes.byref(same), ctypes.byref(status))
    host.finish(result, status, args.new, other=args.old)
    return OK if same.value else FAILED


def _timeline(args: argparse.Namespace) -> int:
    picture = args.format or ("html" if args.output.lower().endswith(".html") else "svg")
    events = timeline(args.list, args.output, old=args.diff, format=picture)
    if args.output != "-" and not args.quiet:
        _out(f"wrote {args.output} ({picture}, {events} events)\n")
    return OK


def _parser() -> argparse.ArgumentParser:
    parser = argparse.ArgumentParser(
        prog="python -m edlbridge",
        description="Read edit decision lists and logs, write them in some forty dialects.")
    parser.add_argument("--version", action="version", version=f"edlbridge {__version__}")
    commands = parser.add_subparsers(dest="command", metavar="COMMAND", required=True)

    command = commands.add_parser("types", help="the list types, with their forms")
    command.set_defaults(run=_types)

    command = commands.add_parser("detect", help="type, title, mode and events of each list")
    command.add_argument("files", nargs="+", metavar="FILE")
    command.add_argument("--format", choices=["text", "json"], default="text")
    command.set_defaults(run=_detect)

    command = commands.add_parser("dump", help="every event of a list")
    command.add_argument("file", metavar="FILE")
    command.add_argument("--format", choices=list(_DUMP_FORMATS), default="table")
    command.set_defaults(run=_dump)

    command = commands.add_parser("convert", help="write a list as another type")
    command.add_argument("input", metavar="IN")
    command.add_argument("--to", required=True, metavar="TYPE", help="list type, or otio")
    command.add_argument("-o", "--output", required=True, metavar="OUT", help="'-': standard output")
    command.add_argument("--fcm", metavar="MODE", help="timecode mode to write")
    command.add_argument("--title", help="title to write")
    command.add_argument("--quiet", action="store_true", help="print no 'wrote ...' line")
    command.set_defaults(run=_convert)

    command = commands.add_parser("diff", help="what changed from one cut to the next")
    command.add_argument("old", metavar="OLD")
    command.add_argument("new", metavar="NEW")
    command.add_argument("--format", choices=list(_DIFF_FORMATS), default="table")
    command.add_argument("--all", action="store_true", help="list unchanged events too")
    command.set_defaults(run=_diff)

    command = commands.add_parser("timeline", help="an SVG or HTML picture of a cut")
    command.add_argument("list", metavar="LIST")
    command.add_argument("-o", "--output", default="-", metavar="OUT",
                         help="OUT.svg or OUT.html; '-' (the default): standard output")
    command.add_argument("--format", choices=["svg", "html"])
    command.add_argument("--diff", metavar="OLD", help="mark what changed since OLD")
    command.add_argument("--quiet", action="store_true", help="print no 'wrote ...' line")
    command.set_defaults(run=_timeline)
    return parser


def _report(error: BaseException) -> None:
    sys.stdout.flush()
    print(f"edlbridge: {error}", file=sys.stderr)


def main(argv: Optional[List[str]] = None) -> int:
    args = _parser().parse_args(argv)
    try:
        status: int = args.run(args)
    except UnknownListTypeError as error:
        _report(error)
        return USAGE
    except EdlError as error:
        _report(error)
        return FAILED
    except ValueError as error:
        _report(error)
        return USAGE
    sys.stdout.flush()
    return status


if __name__ == "__main__":
    sys.exit(main())
