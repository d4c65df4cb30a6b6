"""The file route's time and memory, on files of scattered questions made
here, in one run so that load on other cores slows all alike:

  PYTHONPATH=BUILD/python python3 bench/file_route_bench.py BUILD

- the program orvane-quessel on a million questions, against the route as
  1.1.0 ran it in Python (bench/landed_route.py), with the same answers;
- the program on ten million, its peak memory, and the time it takes to
  name a bad last line after them;
- python3 -m orvane_quessel on a million against the landed route, and its
  peak memory at ten million.
Times are medians of 3 runs; bench/peak measures the peaks. A peak beyond
its goal fails the run; times are only printed, since a busy machine slows
them."""
import hashlib
import os
import statistics
import subprocess
import sys
import tempfile
import time

import numpy as np

HERE = os.path.dirname(os.path.abspath(__file__))


def median_time(command):
    def once():
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
        return time.perf_counter() - start
    return statistics.median(once() for _ in range(3))


def peak(build, command):
    """Megabytes at the command's peak, measured by the small bench/peak."""
    done = subprocess.run([os.path.join(build, "bench", "peak"), *command],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True)
    return int(done.stderr.split()[-1]) / 1024


def answers(command, tmp):
    with open(os.path.join(tmp, "answers"), "wb") as out:
        subprocess.run(command, stdout=out, check=True)
    with open(os.path.join(tmp, "answers"), "rb") as f:
        return hashlib.sha256(f.read()).hexdigest()


def main(build):
    program = os.path.join(build, "orvane-quessel")
    route = [sys.executable, "-m", "orvane_quessel"]
    landed = [sys.executable, os.path.join(HERE, "landed_route.py")]
    failed = False
    with tempfile.TemporaryDirectory() as tmp:
        rng = np.random.default_rng(1)
        n = 10**6
        scale = 2 ** rng.integers(1, 30, size=(4, n))
        radar = [*rng.integers(-scale, scale), rng.integers(-180, 541, n), rng.integers(0, 361, n)]
        one, ten, bad = (os.path.join(tmp, name) for name in ("1M", "10M", "10M-bad"))
        np.savetxt(one, np.stack(radar, axis=1), fmt="%d")
        with open(one, "rb") as f:
            text = f.read()
        with open(ten, "wb") as f:
            f.write(text * 10)
        with open(bad, "wb") as f:
            f.write(text * 10 + b"10 10 0 0 0 9O\n")

        if answers([program, "quessel", one], tmp) != answers(landed + ["quessel", one], tmp):
            print("FAIL: the program's answers are not the landed route's")
            failed = True
        was = median_time(landed + ["quessel", one])
        now = median_time([program, "quessel", one])
        print("program, 1M questions: %.3f s, %.2f x the landed Python route's %.2f s (goal <= 0.2)"
              % (now, now / was, was))
        good = median_time([program, "quessel", ten])
        most_held = peak(build, [program, "quessel", ten])
        most = 16 + 10**7 / 8 / 2**20
        print("program, 10M questions: %.2f s (goal about 1 s); peak %.1f MB (goal <= %.1f)"
              % (good, most_held, most))
        failed |= most_held > most
        late = median_time([program, "quessel", bad])
        print("program, 10M and a bad last line: named in %.2f x the good file's time (goal <= 1.5)"
              % (late / good))

        python = median_time(route + ["quessel", one])
        most_held = peak(build, route + ["quessel", ten])
        print("python3 -m orvane_quessel, 1M questions: %.2f x the landed route (goal <= 0.5); "
              "10M: peak %.1f MB (goal <= 64)" % (python / was, most_held))
        failed |= most_held > 64
    return failed


if __name__ == "__main__":
    sys.exit(main(sys.argv[1]))
