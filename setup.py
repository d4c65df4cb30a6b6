"""Builds the Python package's extension with the project's own CMake build,
so with the programs' options, for the interpreter that runs pip."""
import glob
import os
import re
import subprocess
import sys

from setuptools import Extension, setup
from setuptools.command.build_ext import build_ext

HERE = os.path.dirname(os.path.abspath(__file__))


class CMakeBuild(build_ext):
    def build_extension(self, ext):
        build = os.path.join(os.path.abspath(self.build_temp), "cmake")
        subprocess.run(["cmake", "-S", HERE, "-B", build, "-DCMAKE_BUILD_TYPE=Release",
                        "-DBUILD_TESTING=OFF", "-DORVANE_QUESSEL_PYTHON=ON",
                        "-DPython3_EXECUTABLE=" + sys.executable], check=True)
        subprocess.run(["cmake", "--build", build, "--target", "orvane_quessel_ufuncs",
                        "orvane_quessel_route_module"], check=True)
        module = ext.name.split(".")[-1]
        (built,) = glob.glob(os.path.join(build, "python", "orvane_quessel", module + ".*"))
        self.copy_file(built, self.get_ext_fullpath(ext.name))


with open(os.path.join(HERE, "CMakeLists.txt")) as f:
    version = re.search(r"project\(orvane_quessel\s+VERSION (\S+)", f.read()).group(1)
# Apart from CMake's own build/ and the package's sources.
setup(version=version, packages=["orvane_quessel"], package_dir={"": "python"},
      options={"build": {"build_base": "build-pip"}, "egg_info": {"egg_base": "build-pip"}},
      ext_modules=[Extension("orvane_quessel._ufuncs", []), Extension("orvane_quessel._route", [])],
      cmdclass={"build_ext": CMakeBuild})
