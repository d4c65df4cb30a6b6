"""The predicates of orvane and quessel as numpy ufuncs, and their files.

    orvane(start_x, start_y, end_x, end_y, center_x, center_y, radius)
    quessel(x, y, radar_x, radar_y, radar_dir, radar_angle)
    calculate_euclidean_distance(x1, y1, x2, y2)
    read(tool, file, chunk=None, first_line=1)

Each ufunc takes int64 array_likes in the programs' argument order,
broadcasts them and takes out= and where= as every numpy ufunc does, runs
its loop in C without the GIL, and answers as the programs do on every
input, a hair off a bound included. Arguments that numpy cannot cast safely
to int64 raise TypeError or OverflowError rather than being converted.
read gives a file's questions as the columns a ufunc takes, read strictly.

python3 -m orvane_quessel TOOL [FILE] answers a file of questions, without
numpy, which the rest loads when first asked for.
"""
from ._route import __version__, tools as _tools

__all__ = [*_tools, "calculate_euclidean_distance", "read"]


def __getattr__(name):
    if name in __all__:
        from . import _ufuncs
        return getattr(_ufuncs, name)
    raise AttributeError(f"module {__name__!r} has no attribute {name!r}")


def __dir__():
    return sorted([*__all__, "__version__"])
