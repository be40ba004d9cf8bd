"""Builds the package: the module, and both shared libraries built by CMake and placed in
it, so the installed module loads its own copies with no environment variable set.

The libraries are configured from the project root (this folder's parent) without tests,
tools, examples or the CMake-installed module, built in Release, and installed into a
temporary prefix: the installed files carry their install RPATH ($ORIGIN), which lets
libedlconvert find libedlbridge beside it; the build tree's copies point into the build
tree. EDLBRIDGE_CMAKE_ARGS adds options to the configure step.
"""

import os
import shlex
import shutil
import subprocess
import sys
import tempfile

from setuptools import Distribution, setup
from setuptools.command.build_py import build_py

HERE = os.path.dirname(os.path.abspath(__file__))
ROOT = os.path.dirname(HERE)
LIBRARIES = ("libedlbridge.so.1", "libedlconvert.so.1")


def project_version():
    with open(os.path.join(ROOT, "VERSION"), encoding="utf-8") as file:
        return file.readline().strip()


class BuildWithLibraries(build_py):
    """The module's files, then the VERSION file and the two libraries beside them."""

    def run(self):
        super().run()
        package = os.path.join(self.build_lib, "edlbridge")
        shutil.copyfile(os.path.join(ROOT, "VERSION"), os.path.join(package, "VERSION"))
        self.build_libraries(package)

    def build_libraries(self, package):
        build_temp = self.get_finalized_command("build").build_temp
        build_dir = os.path.abspath(os.path.join(build_temp, "cmake"))
        configure = ["cmake", "-S", ROOT, "-B", build_dir, "-DCMAKE_BUILD_TYPE=Release",
                     "-DCMAKE_INSTALL_LIBDIR=lib", "-DEDLBRIDGE_BUILD_TESTS=OFF",
                     "-DEDLBRIDGE_BUILD_TOOLS=OFF", "-DEDLBRIDGE_BUILD_EXAMPLES=OFF",
                     "-DEDLBRIDGE_BUILD_PYTHON=OFF"]
        if shutil.which("ninja") and not os.path.exists(os.path.join(build_dir, "CMakeCache.txt")):
            configure += ["-G", "Ninja"]
        configure += shlex.split(os.environ.get("EDLBRIDGE_CMAKE_ARGS", ""))
        self.spawn(configure)
        self.spawn(["cmake", "--build", build_dir, "--config", "Release",
                    "--target", "edlbridge", "edlconvert", "-j",
                    os.environ.get("CMAKE_BUILD_PARALLEL_LEVEL", "2")])
        with tempfile.TemporaryDirectory() as prefix:
            for component in ("runtime",):
                self.spawn(["cmake", "--install", build_dir, "--prefix", prefix,
                            "--component", component])
            for name in LIBRARIES:
                # Copied under the SONAME, dereferencing the link: a wheel holds files.
                shutil.copy2(os.path.join(prefix, "lib", name), os.path.join(package, name))


class BinaryDistribution(Distribution):
    """Holds platform files: built and installed as platform-specific (platlib), so the
    wheel is a platform wheel."""

    def has_ext_modules(self):
        return True


commands = {"build_py": BuildWithLibraries}
try:
    from wheel.bdist_wheel import bdist_wheel

    class PlatformWheel(bdist_wheel):
        """A wheel for this platform, for any Python 3: the libraries are loaded with
        ctypes, so they depend on the system, not on the interpreter's ABI."""

        def get_tag(self):
            return ("py3", "none") + tuple(super().get_tag()[2:])

    commands["bdist_wheel"] = PlatformWheel
except ImportError:
    pass

if sys.platform == "win32":
    raise SystemExit("setup.py builds the Linux libraries; on Windows see README.md")

setup(version=project_version(), cmdclass=commands, distclass=BinaryDistribution)
