"""The file route against the speed of reading, in one run, so that load on
other cores slows all alike:

  PYTHONPATH=BUILD/python python3 bench/file_route_bench.py BUILD [--brief]

On ten million questions of each tool (one million with --brief), with
tabs, runs of blanks, '+' and leading zeros, each time the best of 5
against cat FILE > /dev/null:
- the program orvane-quessel on its default threads, and on one thread
  pinned to one core, in questions a second a core and times cat;
- python3 -m orvane_quessel;
- the program's peak memory, and with --stream from a pipe over 150 and 15
  million questions (15 and 1.5 with --brief), whose peaks must match.
bench/peak measures the peaks. A peak beyond its goal fails the run; times
are only printed, since a busy machine slows them."""
import os
import random
import shutil
import subprocess
import sys
import tempfile
import time


def best_time(command, runs=5, **options):
    def once():
        start = time.perf_counter()
        subprocess.run(command, stdout=subprocess.DEVNULL, check=True, **options)
        return time.perf_counter() - start
    return min(once() for _ in range(runs))


def peak(build, command, **options):
    """Megabytes at the command's peak, measured by the small bench/peak."""
    done = subprocess.run([os.path.join(build, "bench", "peak"), *command],
                          stdout=subprocess.DEVNULL, stderr=subprocess.PIPE, check=True,
                          **options)
    return int(done.stderr.split()[-1]) / 1024


def questions(tool, lines, rng):
    """Lines of the tool's questions: coordinates at every scale below 2^30,
    facing and width within a turn; blanks, tabs, signs and zeros between."""
    def number(v):
        sign = "-" if v < 0 else rng.choice(("", "", "", "+"))
        return sign + "0" * rng.choice((0, 0, 0, 0, 1, 3)) + str(abs(v))

    def blank():
        return rng.choice((" ", " ", "\t", "  ", " \t "))
    out = []
    for _ in range(lines):
        xs = [rng.randrange(-1 << s, 1 << s) for s in rng.choices(range(1, 30), k=6 if tool == "orvane" else 4)]
        if tool == "orvane":
            xs.append(rng.randrange(0, 1 << 29))
        else:
            xs += [rng.randrange(-180, 541), rng.randrange(0, 361)]
        out.append(blank().join(map(number, xs)) + "\n")
    return "".join(out).encode()


def main(build, brief):
    program = os.path.join(build, "orvane-quessel")
    route = [sys.executable, "-m", "orvane_quessel"]
    one_core = ["taskset", "-c", "0"] if shutil.which("taskset") else []
    millions = 1 if brief else 10
    failed = False
    rng = random.Random(1)
    with tempfile.TemporaryDirectory() as tmp:
        for tool in ("orvane", "quessel"):
            path = os.path.join(tmp, tool)
            block = questions(tool, 10**5, rng)
            with open(path, "wb") as f:
                for _ in range(10 * millions):
                    f.write(block)
            size = os.path.getsize(path)
            cat = best_time(["cat", path])
            many = best_time([program, tool, path])
            one = best_time(one_core + [program, "--threads", "1", tool, path])
            python = best_time(route + [tool, path])
            n = millions * 10**6
            print("%s, %dM questions, %.0f MB: cat %.3f s; program %.3f s, %.1f x cat (goal <= 5); "
                  "one thread %.3f s, %.1f x cat (goal <= 8), %.0f M questions a second a core, "
                  "%.2f GB/s; python3 -m %.3f s, %.1f x cat (goal <= 6)"
                  % (tool, millions, size / 1e6, cat, many, many / cat, one, one / cat,
                     n / one / 1e6, size / one / 1e9, python, python / cat))
            most_held = peak(build, [program, tool, path])
            print("%s: peak %.1f MB (goal <= 32)" % (tool, most_held))
            failed |= most_held > 32

        # --stream over a pipe ten times as long: the same peak.
        peaks, counts = [], (15 * millions / 10, 15 * millions)
        for lines in counts:
            feed = subprocess.Popen("yes '10 10 0 0 0 90' | head -n %d" % int(lines * 10**6),
                                    shell=True, stdout=subprocess.PIPE)
            peaks.append(peak(build, [program, "--stream", "quessel"], stdin=feed.stdout))
            feed.stdout.close()
            feed.wait()
        print("--stream from a pipe: peak %.1f MB over %gM questions, %.1f MB over %gM "
              "(goal: the same)" % (peaks[0], counts[0], peaks[1], counts[1]))
        failed |= abs(peaks[1] - peaks[0]) > 1 or peaks[1] > 32
    return failed


if __name__ == "__main__":
    sys.exit(main(sys.argv[1], "--brief" in sys.argv[2:]))
