"""The package's version: the project's VERSION file, the one place it is written.

A build (CMake's copy and install of the module, or the Python package's build) places a
copy of the file in the package; a module run from a checkout reads the one at its root.
"""

import os

_here = os.path.dirname(os.path.abspath(__file__))


def _read() -> str:
    for path in (os.path.join(_here, "VERSION"),
                 os.path.join(os.path.dirname(os.path.dirname(_here)), "VERSION")):
        try:
            with open(path, encoding="utf-8") as file:
                return file.readline().strip()
        except OSError:
            pass
    return "unknown"


__version__ = _read()
