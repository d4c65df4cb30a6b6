"""python3 -m orvane_quessel [--threads N] [--stream | --check] TOOL [FILE]:
a file of questions answered, with the rules and messages of the program
orvane-quessel, by the same reader, without numpy."""
import signal
import sys

from ._route import _file_route

if __name__ == "__main__":
    # Like the programs: end silently when the reader of a pipe has gone,
    # and at once on an interrupt, which the run, without the GIL, would
    # otherwise take only at its end.
    signal.signal(signal.SIGPIPE, signal.SIG_DFL)
    signal.signal(signal.SIGINT, signal.SIG_DFL)
    sys.exit(_file_route(sys.argv[1:]))
