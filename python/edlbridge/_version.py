"""The package's version: the project's VERSION file, the one place it is written.

A build (CMake's copy and install of the module, or the Python package's build) writes it
into _built_version.py beside this file; a module run from a checkout reads the VERSION file
at the checkout's root.
"""

import os

try:
    from ._built_version import VERSION  # type: ignore[import]
except ImportError:
    _checkout = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
    try:
        with open(os.path.join(_checkout, "VERSION"), encoding="utf-8") as _file:
            VERSION = _file.read().strip()
    except OSError:
        VERSION = "unknown"

__version__: str = VERSION
