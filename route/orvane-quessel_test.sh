#!/bin/bash
# Usage: orvane-quessel_test.sh PATH_TO_ORVANE_QUESSEL
#        orvane-quessel_test.sh --python PYTHON
# The file route's cases, one a line, through either front door: the
# program, or python3 -m orvane_quessel with the package on PYTHONPATH.
# One set of rules and messages; each door names itself.
if [ "$1" = --python ]; then
	python=$1
	prog=
	name=orvane_quessel
	invocation='python3 -m orvane_quessel'
else
	prog=$1 python=
	name=orvane-quessel
	invocation=orvane-quessel
fi
here=$(dirname "$0")
. "$here/../tests/check.sh"
if [ -n "${python-}" ]; then
	prog=$tmp/bin/python-route
	printf '#!/bin/sh\nexec %q -m orvane_quessel "$@"\n' "$2" >"$prog" && chmod +x "$prog" || exit 1
fi
f=$tmp/files
mkdir "$f" || exit 1
steps=$f/steps radar=$f/radar
printf '0 0 10 0 20 5 5\n10 0 0 0 20 5 5\n' >"$steps"
printf '10 10 0 0 0 90\n' >"$radar"

# Whether each number lies within 64 bits, as some in the tools' tables do
# not.
fits() {
	local v d
	for v; do
		d=${v#-}
		[ ${#d} -lt 19 ] || { [ ${#d} = 19 ] && [[ ! $d > 922337203685477580$((7 + (${#v} > 19))) ]]; } ||
			return 1
	done
}

# Every plain case of the tools' own tables, in one file each, with runs of
# blanks and tabs between the numbers and a last line without its newline.
for tool in approach/orvane radar/quessel; do
	grep -E "^check 0 '[01]\\\\n' '' (-?[0-9]+ )*-?[0-9]+ *(#.*)?\$" "$here/../${tool}_test.sh" |
		while read -r _ _ answer _ args; do
			args=${args%%#*}
			fits $args || continue
			printf '%s\n' "$args" | sed 's/ *$//; s/ /  \t/g' >&3
			printf '%s' "${answer:1:1}" >&4
		done 3>"$f/${tool#*/}" 4>"$f/${tool#*/}.answers"
	truncate -s -1 "$f/${tool#*/}"
	check 0 "$(sed 's/./&\\n/g' "$f/${tool#*/}.answers")" '' "${tool#*/}" "$f/${tool#*/}"
done
[ "$(wc -c <"$f/orvane.answers") $(wc -c <"$f/quessel.answers")" != '0 0' ] || echo 'FAIL: no cases from the tables'

usage="Usage: $invocation [--threads N] [--stream | --check] TOOL [FILE]\n"
help="$($EMULATOR "$prog" --help)"
[[ $help == "${usage%??}"* ]] || { echo "FAIL: --help gives: $help"; failed=$((failed + 1)); }

# Operands: a FILE, read instead of standard input; standard input without
# one or for -; -- before a FILE that starts with -.
in=$radar check 0 '1\n0\n' '' orvane "$steps"
in=$steps check 0 '1\n0\n' '' orvane
in=$steps check 0 '1\n0\n' '' orvane -
# With standard input closed, a FILE opened as descriptor 0.
in=closed check 0 '1\n0\n' '' orvane "$steps"
cp "$radar" "$f/-r"
cd "$f" && check 0 '1\n' '' quessel -- -r && cd - >/dev/null
check 0 "$help\n" '' --help
check 0 "$help\n" '' -h
check 0 "$help\n" '' orvane --help
check 1 '' "$help\n"
check 1 '' "$name: unknown tool 'radar': choose orvane or quessel\n$usage" radar "$radar"
check 1 '' "$name: extra operand '$radar': one FILE at most\n$usage" orvane "$steps" "$radar"
check 1 '' "$name: unknown option '-x'\n$usage" orvane -x
# A tool is named whole; -- ends the options, so that a FILE named --help
# is read; a --help that cannot be written is a failure.
for tool in o orv ''; do
	check 1 '' "$name: unknown tool '$tool': choose orvane or quessel\n$usage" "$tool" "$steps"
done
cp "$steps" "$f/--help"
cd "$f" && check 0 '1\n0\n' '' orvane -- --help && cd - >/dev/null
to=/dev/full check 1 '' "$name: write error: No space left on device\n" --help

# A FILE that cannot be read, and what is read but fails.
check 1 '' "$name: $f/none: No such file or directory\n" orvane "$f/none"
check 1 '' "$name: $f: Is a directory\n" orvane "$f"
check 1 '' "$name: /proc/self/mem: Input/output error\n" orvane /proc/self/mem
# A name past any the system takes: the message is cut to its first 8191
# bytes, one whose whole is 8192 bytes too.
for n in 8155 9000; do
	long=$(printf "%${n}s" | tr ' ' a) message="$name: $long: File name too long\n"
	check 1 '' "${message:0:8191}" orvane "$long"
done
cp "$steps" "$f/secret" && chmod 000 "$f/secret"
if [ "$(id -u)" = 0 ]; then
	nodac=1 check 1 '' "$name: $f/secret: Permission denied\n" orvane "$f/secret"
else
	check 1 '' "$name: $f/secret: Permission denied\n" orvane "$f/secret"
fi

# Options: a number of threads from 1; answers streamed or only checked,
# not both.
for n in 0 -1 x 1025 ''; do
	check 1 '' "$name: --threads takes a whole number from 1 to 1024, not '$n'\n$usage" --threads "$n" orvane "$steps"
done
check 0 '1\n0\n' '' --threads 3 orvane "$steps"
check 0 '1\n0\n' '' --threads=1 orvane "$steps"
check 1 '' "$name: --stream and --check do not go together: --check writes no answers\n$usage" --stream --check orvane "$steps"

# --check names every bad line, in order, and answers none; --stream
# answers the lines before the first.
printf '0 0 10 0 20 5 5\n1 2\n0 0 10 0 20 5 5\n\n1 2 x 4 5 6 7\n' >"$f/bad3"
check 1 '' "$name: $f/bad3:2: 2 numbers, but orvane takes 7\n$name: $f/bad3:4: a blank line, where a question must be\n$name: $f/bad3:5: 'x' is not a decimal integer\n" --check orvane "$f/bad3"
check 0 '' '' --check orvane "$steps"
check 1 '1\n' "$name: $f/bad3:2: 2 numbers, but orvane takes 7\n" --stream orvane "$f/bad3"
# The answers before it, when they cannot be written, are not lost quietly.
to=/dev/full check 1 '' "$name: write error: No space left on device\n$name: $f/bad3:2: 2 numbers, but orvane takes 7\n" --stream orvane "$f/bad3"

# --stream answers each line before the next comes: a writer that waits
# for each answer before it asks again.
# Opened both ways, the fifos never wait for the other side.
mkfifo "$f/ask" "$f/answer" || exit 1
exec 6<>"$f/ask" 7<>"$f/answer"
$EMULATOR "$prog" --stream quessel <"$f/ask" >"$f/answer" &
pid=$!
got=
for q in '10 10 0 0 0 90' '10 11 0 0 0 90' '10 10 0 0 0 90'; do
	echo "$q" >&6
	read -t 10 -r a <&7 || break
	got+=$a
done
# A line longer than a chunk, and one more in the same write: the second
# is answered from what the first left, not after another read.
# Written from aside, so that a run that reads nothing holds up no one.
printf '10%*s10 0 0 0 90\n10 11 0 0 0 90\n' 2200000 '' >&6 &
writer=$!
read -t 10 -r a <&7 && got+=$a && read -t 10 -r a <&7 && got+=$a
exec 6>&- 7<&-
kill $pid $writer 2>/dev/null
wait $pid $writer
if [ "$got" = 10110 ]; then passed=$((passed + 1)); else
	failed=$((failed + 1))
	echo "FAIL: --stream, asked a line at a time: answered $got"
fi

# A compressed file is named so, with what reads it, from a FILE or from
# standard input.
for z in 'gzip zcat \x1f\x8b\x08\x00' 'bzip2 bzcat BZh91AY' 'xz xzcat \xfd7zXZ\x00\x00' 'zstd zstdcat \x28\xb5\x2f\xfd\x00'; do
	read -r kind command magic <<<"$z"
	printf "$magic" >"$f/z"
	check 1 '' "$name: $f/z: compressed with $kind, not questions; answer it with: $command $f/z | $invocation orvane\n" orvane "$f/z"
done
in=$f/z check 1 '' "$name: standard input: compressed with zstd, not questions; answer it with: zstdcat FILE | $invocation quessel\n" quessel

# What a line may hold, and the first line that is not a question, named
# before any answer is written.
printf '+0 +0 +10 -0 20 5 5 \t\n' >"$f/signs"
check 0 '1\n' '' orvane "$f/signs"
: >"$f/empty"
check 0 '' '' orvane "$f/empty"
printf '0 0 10 0 20 5 5\n0 0 10 0 20 5 5\n0 0 10 0 20 5 x' >"$f/last"
check 1 '' "$name: $f/last:3: 'x' is not a decimal integer\n" orvane "$f/last"
printf '0 0 10 0 20 5 5\n\n' >"$f/trailing"
check 1 '' "$name: $f/trailing:2: a blank line, where a question must be\n" orvane "$f/trailing"
printf '0 0 10 0 20 5 5\r\n' >"$f/crlf"
crlf='a carriage return ends the line: the file has CRLF line endings, where each line must end in a bare line feed'
check 1 '' "$name: $f/crlf:1: $crlf\n" orvane "$f/crlf"
printf '\xef\xbb\xbf10 10 0 0 0 90\n' >"$f/bom"
check 1 '' "$name: $f/bom:1: a UTF-8 byte-order mark starts the file, where a number must\n" quessel "$f/bom"
in=$steps check 1 '' "$name: standard input:1: 7 numbers, but quessel takes 6\n" quessel

# A lost answer is never success; a reader gone from the pipe ends the run
# silently, as for the programs, unless SIGPIPE is ignored.
yes '0 0 10 0 20 5 5' | head -n 1000 >"$f/many"
to=/dev/full check 1 '' "$name: write error: No space left on device\n" orvane "$f/many"
limit=1 check 1 "$(printf '1\\n%.0s' {1..512})" "$name: write error: File too large\n" orvane "$f/many"
# With standard output closed, from standard input, since a FILE would be
# opened as descriptor 1: answers lost, but nothing lost without any.
in=$steps to=closed check 1 '' "$name: write error: Bad file descriptor\n" orvane
in=$f/empty to=closed check 0 '' '' orvane
to=eio check 1 '1\n0\n' "$name: write error: Input/output error\n" orvane "$steps"
# A close that fails is told even with nothing written: only a descriptor
# that was never open is no loss.
in=$f/empty to=eio check 1 '' "$name: write error: Input/output error\n" orvane
to=broken check 141 '' '' orvane "$f/many"
# Python ignores SIGPIPE whatever it inherits, and the package restores it.
if [ -n "${python-}" ]; then
	to=broken sigpipe=ignore check 141 '' '' orvane "$f/many"
else
	to=broken sigpipe=ignore check 1 '' "$name: write error: Broken pipe\n" orvane "$f/many"
fi

# An interrupt or a termination ends a run whose input is still open, at
# once and by the signal, as for any program, the Python door too, whose
# run holds no GIL to take a handler's exception with. Through sh, since
# env would take a path with an = in it for a variable.
for sig in INT TERM; do
	mkfifo "$f/held.$sig" || exit 1
	env --default-signal=INT sh -c 'exec "$@"' sh $EMULATOR "$prog" orvane "$f/held.$sig" 2>"$f/said" &
	pid=$!
	# Held open both ways, so that a run that never opens it hangs nothing;
	# the signal waits, ten seconds at most, for the run to open it.
	exec 5<>"$f/held.$sig"
	for ((i = 0; i < 100; i++)); do
		[[ $(ls -l /proc/$pid/fd 2>/dev/null) != *"held.$sig"* ]] || break
		sleep 0.1
	done
	kill -s $sig $pid
	# Ended, or killed after ten seconds.
	for ((i = 0; i < 100; i++)); do
		state=$(cut -d' ' -f3 /proc/$pid/stat 2>/dev/null)
		[ -n "$state" ] && [ "$state" != Z ] || break
		sleep 0.1
	done
	kill -KILL $pid 2>/dev/null
	wait $pid
	status=$?
	exec 5>&-
	if [ $status = $((128 + $(kill -l $sig))) ] && [ ! -s "$f/said" ]; then
		passed=$((passed + 1))
	else
		failed=$((failed + 1))
		echo "FAIL: SIG$sig with the input open: status $status, said: $(cat "$f/said")"
	fi
done

# The Python door runs in 32 MiB of address space: it loads no numpy.
[ -z "${python-}" ] || vmem=32768 check 0 '1\n0\n' '' orvane "$steps"

# Memory that runs out: just below the least the program answers in, what it
# could not have is said. Natively and unsanitized only, where the least is
# the program's own.
if [ -z "${python-}${EMULATOR-}${MEMCHECK-}" ] && [ "${SANITIZED-0}" = 0 ]; then
	answers() { (ulimit -v "$1" && exec "$prog" orvane "$steps") 2>/dev/null; }
	low=0 high=1048576
	while [ $((high - low)) -gt 4 ]; do
		mid=$(((low + high) / 2))
		if [ "$(answers $mid)" = "$(printf '1\n0')" ]; then high=$mid; else low=$mid; fi
	done
	vmem=$low check 1 '' "$name: out of memory\n" orvane "$steps"
fi

finish
