"""Shared settings of the module's tests.

CTest passes the built tool (EDLBRIDGE_TOOL), the layout probe (EDLBRIDGE_LAYOUT_PROBE)
and the source tree (EDLBRIDGE_SOURCE_DIR); run by hand from a checkout, the tests look
for them in its build tree ``build/``.
"""

import json
import os
import subprocess
from pathlib import Path

import pytest

SOURCE = Path(os.environ.get("EDLBRIDGE_SOURCE_DIR") or Path(__file__).resolve().parents[2])
DATA = SOURCE / "tests" / "data"
EXAMPLES = SOURCE / "examples" / "lists"


def _built(variable: str, default: Path) -> str:
    path = os.environ.get(variable) or (str(default) if default.is_file() else "")
    if not path:
        pytest.skip(f"{variable} is not set and {default} is not built")
    return path


@pytest.fixture(scope="session")
def tool() -> str:
    return _built("EDLBRIDGE_TOOL", SOURCE / "build" / "tools" / "edlbridge")


@pytest.fixture(scope="session")
def layout_probe() -> str:
    return _built("EDLBRIDGE_LAYOUT_PROBE", SOURCE / "build" / "python" / "edlbridge_layout_probe")


def run_tool(tool: str, *args: str, cwd=None) -> subprocess.CompletedProcess:
    return subprocess.run([tool, *args], capture_output=True, cwd=cwd)


def dump(tool: str, path, legacy: bool = False):
    """The tool's JSON dump of a list, or the reason it gives for refusing it."""
    result = run_tool(tool, "dump", str(path), "--format", "json", *(["--legacy"] if legacy else []))
    if result.returncode != 0:
        return None, result.stderr.decode("utf-8", "replace").strip()
    return json.loads(result.stdout), None


def all_lists():
    """Every file under tests/data and the bundled example lists."""
    files = sorted(p for p in DATA.rglob("*") if p.is_file())
    return files + sorted(EXAMPLES.iterdir())
