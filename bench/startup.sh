#!/bin/bash
# Usage: bench/startup.sh BUILD_DIR
# Counts, under callgrind, the instructions each program takes to start,
# answer and exit, against a C program doing the same parse, compute and
# print, and against an empty main that loads libc and libm. Counts, unlike
# times, repeat exactly from run to run on a busy machine too.
set -euo pipefail
build=${1:?usage: startup.sh BUILD_DIR}
valgrind=$(command -v valgrind) || { echo 'startup.sh: needs valgrind' >&2; exit 1; }
[ -x "$build/bench/baseline" ] ||
	{ echo "startup.sh: build $build with -DORVANE_QUESSEL_BENCH=ON first" >&2; exit 1; }

count() {
	env -i "$valgrind" --tool=callgrind --callgrind-out-file=/dev/null "$@" 2>&1 >/dev/null |
		sed -n 's/.*Collected : *//p'
}

# NAME COUNT [C_COUNT]: a count, its share of the empty main's, and of the
# C baseline's when given.
row() {
	awk -v name="$1" -v n="$2" -v e="${empty:-$2}" -v c="${3:-}" 'BEGIN {
		printf "%-30s %12d %12s %12.3f\n", name, n, c ? sprintf("%.3f", n / c) : "", n / e
	}'
}

printf '%-30s %12s %12s %12s\n' '' instructions '/ C' '/ empty'
empty=$(count "$build/bench/empty_main")
row 'empty main (libc, libm)' "$empty"
for run in 'orvane 0 0 10 0 20 5 5' 'quessel 10 10 0 0 0 90' 'quessel 10 11 0 0 0 90'; do
	set -- $run
	prog=$1
	shift
	c=$(count "$build/bench/baseline" "$@")
	row "C baseline $*" "$c"
	row "$run" "$(count "$build/$prog" "$@")" "$c"
done
