"""python3 -m orvane_quessel TOOL [FILE]: a file of questions answered."""
import io
import os
import re
import signal
import sys
import warnings

import numpy as np

from . import orvane, quessel

USAGE = """\
Usage: python3 -m orvane_quessel TOOL [FILE]

Answers the questions in FILE, or on standard input without one or for -,
as the program TOOL, orvane or quessel, answers them: one question a line,
the program's arguments in its order as decimal integers separated by
blanks; one answer a line on standard output, 1 or 0, in the same order.
The answers are the program's on every input, a hair off a bound too.

  orvane   start_x start_y end_x end_y center_x center_y radius
  quessel  x y radar_x radar_y radar_dir radar_angle

A line that is not exactly the tool's number of decimal integers within
the signed 64-bit range, a blank one too, stops the run before any answer
is written: one message names the line, and the exit status is 1.
"""
TOOLS = {"orvane": (orvane, 7), "quessel": (quessel, 6)}
NAME = "orvane_quessel"


def complaint(line, count, tool):
    """What is wrong with one line as a question to tool, or None."""
    text = line.strip(b" \t")
    if not text:
        return "a blank line, where a question must be"
    words = re.split(rb"[ \t]+", text)
    for word in words:
        if not re.fullmatch(rb"[+-]?[0-9]+", word):
            return "%r is not a decimal integer" % word.decode(errors="replace")
        if not -(2**63) <= int(word) < 2**63:
            return "%s lies beyond the signed 64-bit range" % word.decode()
    if len(words) != count:
        return "%d numbers, but %s takes %d" % (len(words), tool, count)
    return None


def first_complaint(data, count, tool):
    """The first bad line's number and what is wrong with it."""
    lines = data.split(b"\n")
    if data.endswith(b"\n"):
        lines.pop()
    for number, line in enumerate(lines, 1):
        why = complaint(line, count, tool)
        if why:
            return number, why
    raise AssertionError("no line is at fault")


def questions(data, count):
    """data's questions as a (lines, count) int64 array, or None if a line
    is at fault. numpy's reader takes only decimal integers within 64 bits,
    the same number on every line; but it skips blank lines, which the
    count of lines then shows, and takes any white space for a blank, which
    letting through only digits, signs and blanks prevents."""
    if not data:
        return np.empty((0, count), np.int64)
    if data.translate(None, b"0123456789+- \t\n"):
        return None
    # An integer beyond 64 bits it would read as a float, with a warning.
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        try:
            asked = np.loadtxt(io.BytesIO(data), np.int64, comments=None, ndmin=2)
        except (ValueError, Warning):
            return None
    lines = data.count(b"\n") + (not data.endswith(b"\n"))
    return asked if asked.shape == (lines, count) else None


def main(argv):
    if argv[:1] in (["--help"], ["-h"]):
        sys.stdout.write(USAGE)
        return 0
    if not 1 <= len(argv) <= 2 or argv[0] not in TOOLS:
        sys.stderr.write(USAGE)
        return 1
    tool = argv[0]
    ufunc, count = TOOLS[tool]
    path = argv[1] if len(argv) > 1 and argv[1] != "-" else None
    where = path or "standard input"
    try:
        if path is None:
            data = sys.stdin.buffer.read()
        else:
            with open(path, "rb") as f:
                data = f.read()
    except OSError as e:
        sys.stderr.write("%s: %s: %s\n" % (NAME, where, e.strerror))
        return 1
    asked = questions(data, count)
    if asked is None:
        number, why = first_complaint(data, count, tool)
        sys.stderr.write("%s: %s:%d: %s\n" % (NAME, where, number, why))
        return 1
    answers = np.empty(2 * len(asked), np.uint8)
    answers[0::2] = ufunc(*asked.T) + ord("0")
    answers[1::2] = ord("\n")
    # A lost answer is a failure: each write and the close of standard
    # output are checked, and written past Python's buffer, which would
    # otherwise try again, and fail again, on the way out.
    try:
        left = memoryview(answers)
        while left:
            left = left[os.write(1, left):]
        os.close(1)
    except OSError as e:
        sys.stderr.write("%s: write error: %s\n" % (NAME, e.strerror))
        return 1
    return 0


if __name__ == "__main__":
    # Like the programs, end silently when the reader of a pipe has gone.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    sys.exit(main(sys.argv[1:]))
