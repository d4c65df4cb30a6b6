"""The Python package against what a numpy user would write instead, in one
run so that load on other cores slows both alike:

  PYTHONPATH=BUILD/python python3 bench/python_bench.py BUILD [QUESTIONS]

- each ufunc's time over numpy's own forms of the written steps
  (np.arctan2, np.sqrt, np.where), on QUESTIONS scattered questions
  (a million unless given), the median of 11 pairs of runs;
- the file route's time for those questions over one process a question
  (BUILD/quessel, 200 runs, scaled);
- how many questions a hair off a bound numpy's written steps answer
  otherwise than the tools: numpy's arctan2 is not the C library's atan2."""
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

import orvane_quessel as oq

PI = 3.141592653589793


def quessel_numpy(x, y, radar_x, radar_y, radar_dir, radar_angle):
    bearing = np.arctan2((y - radar_y).astype(float), (x - radar_x).astype(float)) * 180.0 / PI
    bearing = np.where(bearing < 0, 360.0 + bearing, bearing)
    difference = bearing - radar_dir.astype(float)
    difference = np.where(difference > 180.0, difference - 360.0, difference)
    difference = np.where(difference < -180.0, difference + 360.0, difference)
    half = (np.sign(radar_angle) * (np.abs(radar_angle) // 2)).astype(float)  # toward zero
    return (-half <= difference) & (difference <= half)


def orvane_numpy(start_x, start_y, end_x, end_y, center_x, center_y, radius):
    dx, dy = end_x - start_x, end_y - start_y
    cross = np.abs(dy * center_x - dx * center_y + end_x * start_y - end_y * start_x)
    with np.errstate(invalid="ignore"):
        line = cross.astype(float) / np.sqrt((dx * dx + dy * dy).astype(float))

    def rounded(ax, ay):  # half away from zero, as llround
        return np.floor(np.sqrt(((center_x - ax) ** 2 + (center_y - ay) ** 2).astype(float)) + 0.5)

    return (line <= radius.astype(float)) & (rounded(end_x, end_y) < rounded(start_x, start_y))


def seconds(f, *args):
    start = time.perf_counter()
    f(*args)
    return time.perf_counter() - start


def ratio(fast, slow, args):
    return statistics.median(seconds(fast, *args) / seconds(slow, *args) for _ in range(11))


def main(build, n):
    rng = np.random.default_rng(1)
    scale = 2 ** rng.integers(1, 30, size=(7, n))  # every scale below 2^30
    coords = rng.integers(-scale, scale)
    radar = [*coords[:4], rng.integers(-180, 541, n), rng.integers(0, 361, n)]
    for name, ufunc, written, args, want in (
            ("quessel", oq.quessel, quessel_numpy, radar, 0.25),
            ("orvane", oq.orvane, orvane_numpy, list(coords), 0.50)):
        print("%s ufunc %.2f x numpy's written steps (goal <= %.2f)"
              % (name, ratio(ufunc, written, args), want))

    questions = np.stack(radar, axis=1)
    with tempfile.TemporaryDirectory() as tmp:
        path = os.path.join(tmp, "questions")
        np.savetxt(path, questions, fmt="%d")
        route = seconds(lambda: subprocess.run([sys.executable, "-m", "orvane_quessel", "quessel",
                                                path], stdout=subprocess.DEVNULL, check=True))
    program = os.path.join(build, "quessel")
    alone = seconds(lambda: [subprocess.run([program, *map(str, q)], stdout=subprocess.DEVNULL)
                             for q in questions[:200]]) / 200 * n
    print("file route %.0f x faster than one process a question (goal >= 1000): %.2f s for %d"
          % (alone / route, route, n))

    # A hair off a bound on a whole degree, at every scale up to 2^62.
    bound = rng.integers(0, 360, n)
    far = 2.0 ** rng.integers(10, 62, n) * (1 + rng.random(n))
    angle = np.radians(bound) + rng.normal(0, 1e-15, n)
    x, y = np.rint(far * np.cos(angle)).astype(np.int64), np.rint(far * np.sin(angle)).astype(np.int64)
    half = rng.integers(0, 180, n)
    side = np.where(rng.random(n) < 0.5, half, -half)
    near = [x, y, np.zeros(n, np.int64), np.zeros(n, np.int64), bound - side, 2 * half]
    differ = np.count_nonzero(oq.quessel(*near) != quessel_numpy(*near))
    print("numpy's written steps answer %d of %d questions a hair off a bound otherwise than quessel"
          % (differ, n))


if __name__ == "__main__":
    main(sys.argv[1], int(sys.argv[2]) if len(sys.argv) > 2 else 10**6)
