"""The file route as version 1.1.0 ran it, in Python, for the benchmark to
measure the reader against: the whole input read, checked by a byte
translation and numpy's loadtxt, then answered by the ufuncs. Good input
only: a bad line took a per-line pass, not measured here.

  python3 bench/landed_route.py TOOL FILE > answers"""
import io
import os
import sys
import warnings

import numpy as np

import orvane_quessel as oq

TOOLS = {"orvane": (oq.orvane, 7), "quessel": (oq.quessel, 6)}


def main(tool, path):
    ufunc, count = TOOLS[tool]
    with open(path, "rb") as f:
        data = f.read()
    if data.translate(None, b"0123456789+- \t\n"):
        sys.exit("not plain questions")
    with warnings.catch_warnings():
        warnings.simplefilter("error")
        asked = np.loadtxt(io.BytesIO(data), np.int64, comments=None, ndmin=2)
    lines = data.count(b"\n") + (not data.endswith(b"\n"))
    if asked.shape != (lines, count):
        sys.exit("not plain questions")
    answers = np.empty(2 * len(asked), np.uint8)
    answers[0::2] = ufunc(*asked.T) + ord("0")
    answers[1::2] = ord("\n")
    left = memoryview(answers)
    while left:
        left = left[os.write(1, left):]


if __name__ == "__main__":
    main(*sys.argv[1:])
