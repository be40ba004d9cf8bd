"""The package's version and its command line, python -m edlbridge."""

import os
import subprocess
import sys

import edlbridge
from conftest import DATA, EXAMPLES, SOURCE, run_tool

CUTS = DATA / "tools" / "cuts"


def module(*args: str, cwd=None) -> subprocess.CompletedProcess:
    """Runs the command line of the module these tests imported, from any folder."""
    env = dict(os.environ)
    here = os.path.dirname(os.path.dirname(os.path.abspath(edlbridge.__file__)))
    env["PYTHONPATH"] = os.pathsep.join([here] + [p for p in [env.get("PYTHONPATH")] if p])
    return subprocess.run([sys.executable, "-m", "edlbridge", *args], capture_output=True,
                          cwd=cwd, env=env)


def test_version_is_the_projects():
    assert edlbridge.__version__ == (SOURCE / "VERSION").read_text().strip()


def test_help_and_version():
    result = module("--help")
    assert result.returncode == 0
    for command in ("types", "detect", "dump", "convert", "diff", "timeline"):
        assert command in result.stdout.decode()
    assert module("--version").stdout.decode() == f"edlbridge {edlbridge.__version__}\n"


def test_usage_errors_exit_2():
    assert module().returncode == 2
    assert module("no-such-command").returncode == 2
    assert module("dump", str(EXAMPLES / "harbour_cut.edl"), "--format", "xml").returncode == 2


def test_prints_what_the_tool_prints(tool):
    lists = [str(EXAMPLES / "harbour_cut.edl"), str(EXAMPLES / "harbour_log.ale")]
    for args in (["types"], ["detect", *lists], ["detect", "--format", "json", *lists],
                 ["dump", lists[0]], ["dump", lists[1], "--format", "json"],
                 ["dump", lists[1], "--format", "csv"],
                 ["diff", str(CUTS / "cut_v1.edl"), str(CUTS / "cut_v2.edl")],
                 ["diff", str(CUTS / "cut_v1.edl"), str(CUTS / "cut_v1.edl"), "--format", "json"]):
        ours, theirs = module(*args), run_tool(tool, *args)
        assert (ours.returncode, ours.stdout) == (theirs.returncode, theirs.stdout), args


def test_writes_what_the_tool_writes(tool, tmp_path):
    cut = str(EXAMPLES / "harbour_cut.edl")
    for name in ("ours", "theirs"):
        (tmp_path / name).mkdir()
    ours = module("convert", cut, "--to", "ale", "-o", "cut.ale", cwd=tmp_path / "ours")
    theirs = run_tool(tool, "convert", cut, "--to", "ale", "-o", "cut.ale", cwd=tmp_path / "theirs")
    assert (ours.returncode, ours.stdout) == (0, theirs.stdout)
    assert (tmp_path / "ours" / "cut.ale").read_bytes() == (tmp_path / "theirs" / "cut.ale").read_bytes()
    new, old = str(CUTS / "cut_v2.edl"), str(CUTS / "cut_v1.edl")
    ours = module("timeline", new, "--diff", old, "-o", "cut.html", cwd=tmp_path / "ours")
    theirs = run_tool(tool, "timeline", new, "--diff", old, "-o", "cut.html", cwd=tmp_path / "theirs")
    assert (ours.returncode, ours.stdout) == (0, theirs.stdout)
    assert (tmp_path / "ours" / "cut.html").read_bytes() == (tmp_path / "theirs" / "cut.html").read_bytes()


def test_failures_name_the_file():
    result = module("detect", str(SOURCE / "no-such-list.edl"))
    assert result.returncode == 1
    assert result.stderr.decode().startswith("edlbridge: ")
    assert "no-such-list.edl" in result.stderr.decode()
