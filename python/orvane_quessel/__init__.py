"""The predicates of orvane and quessel as numpy ufuncs.

    orvane(start_x, start_y, end_x, end_y, center_x, center_y, radius)
    quessel(x, y, radar_x, radar_y, radar_dir, radar_angle)
    calculate_euclidean_distance(x1, y1, x2, y2)

Each takes int64 array_likes in the programs' argument order, broadcasts
them and takes out= and where= as every numpy ufunc does, runs its loop in
C without the GIL, and answers as the programs do on every input, a hair
off a bound included. Arguments that numpy cannot cast safely to int64
raise TypeError or OverflowError rather than being converted.

python3 -m orvane_quessel TOOL [FILE] answers a file of questions.
"""
from ._ufuncs import __version__, calculate_euclidean_distance, orvane, quessel

__all__ = ["orvane", "quessel", "calculate_euclidean_distance"]
