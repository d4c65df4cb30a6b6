# Process-level test cases, one line each:
#
#   check STATUS STDOUT STDERR [ARG...]
#
# runs $prog with ARGs and wants that exit status and, byte for byte, those
# outputs (printf %b strings). Standard input is /dev/null, or FILE with
# in=FILE (in=closed closes it). Prefix a case with as=NAME to run the
# program under another argv[0], with limit=KB to limit the size of the
# files it writes, with vmem=KB to limit its memory, with nodac=1 to run
# it, as root, without the power to read any file, or with to=FILE
# (to=closed) to redirect (close) its standard output, or to=broken to make
# it a pipe whose reader has gone, with
# SIGPIPE at its default or, given sigpipe=ignore, ignored, or to=eio to make
# the close of standard output fail with EIO after the write succeeded, as a
# file system may report a deferred error there; this needs strace in
# $STRACE, and is skipped without it (to=broken and to=eio take no as=).
# Sourced by a tool's test script after setting $prog; an emulator in
# $EMULATOR runs the program, and so does valgrind, with its options, in
# $MEMCHECK.

passed=0
failed=0
skipped=0
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT
mkdir "$tmp/bin" && mkfifo "$tmp/fifo" || exit 1

check() {
	local want_status=$1 want_out=$2 want_err=$3 status
	shift 3
	if [ "${to-}" = eio ] && [ -z "${STRACE-}" ]; then
		skipped=$((skipped + 1))
		printf 'skipped, without strace: to=eio%s\n' "$(printf ' %q' "$@")"
		return
	fi
	: >"$tmp/out"
	(
		if [ "${in-}" = closed ]; then exec <&-; else exec <"${in-/dev/null}"; fi
		[ -z "${limit-}" ] || ulimit -f "$limit"
		[ -z "${vmem-}" ] || ulimit -v "$vmem"
		case ${to-} in
		'' | eio) exec >"$tmp/out" ;;
		closed) exec >&- ;;
		# Opened for both first, the fifo lets the writer open without
		# waiting; then its only reader goes.
		broken) exec 3<>"$tmp/fifo" >"$tmp/fifo" 3<&- ;;
		*) exec >"$to" ;;
		esac
		# The shell cannot restore a signal ignored when it started; env
		# can, and sh then runs a path with an = in it, which env would
		# take for a variable.
		run=()
		[ "${to-}" != broken ] ||
			run=(env "--${sigpipe-default}-signal=PIPE" sh -c 'exec "$@"' sh)
		[ -z "${nodac-}" ] || run=(setpriv --bounding-set=-dac_override,-dac_read_search)
		# Only calls on the output file count, so the first is its close.
		# LeakSanitizer cannot run under ptrace.
		if [ "${to-}" = eio ]; then
			run=("$STRACE" -f -qq -o /dev/null -P "$tmp/out"
				-e trace=close -e inject=close:error=EIO:when=1)
			export ASAN_OPTIONS=${ASAN_OPTIONS:+$ASAN_OPTIONS:}detect_leaks=0
		fi
		# Under qemu-user it is the emulator's -0 that names the program.
		[ -z "${EMULATOR-}" ] || exec "${run[@]}" $EMULATOR -0 "${as-$prog}" "$prog" "$@"
		# valgrind names its client as found on the PATH, so never emptily.
		if [ -n "${MEMCHECK-}" ] && [ -n "${as-$prog}" ]; then
			[ -z "${as-}" ] || ln -sf "$(realpath "$prog")" "$tmp/bin/$as"
			PATH=$tmp/bin:$PATH exec "${run[@]}" $MEMCHECK "${as-$prog}" "$@"
		fi
		[ ${#run[@]} = 0 ] || exec "${run[@]}" "$prog" "$@"
		exec -a "${as-$prog}" "$prog" "$@"
	) 2>"$tmp/err"
	status=$?
	printf '%b' "$want_out" >"$tmp/want_out"
	printf '%b' "$want_err" >"$tmp/want_err"
	if [ "$status" = "$want_status" ] &&
		cmp -s "$tmp/out" "$tmp/want_out" &&
		cmp -s "$tmp/err" "$tmp/want_err"; then
		passed=$((passed + 1))
		return
	fi
	failed=$((failed + 1))
	printf 'FAIL:%s%s%s%s%s%s%s' "${as+ as=$as}" "${in+ in=$in}" "${limit+ limit=$limit}" \
		"${vmem+ vmem=$vmem}" "${nodac+ nodac=$nodac}" "${to+ to=$to}" "${sigpipe+ sigpipe=$sigpipe}"
	printf ' %q' "$@"
	printf '\n  status %s, want %s\n' "$status" "$want_status"
	printf '  stdout %s, want %s\n' "$(show out)" "$(show want_out)"
	printf '  stderr %s, want %s\n' "$(show err)" "$(show want_err)"
}

# Quotes a captured output, keeping the trailing newlines that command
# substitution would drop.
show() {
	local text
	text=$(cat "$tmp/$1" && printf .)
	printf '%q' "${text%.}"
}

finish() {
	printf '%s: %d passed, %d failed' "${prog##*/}" "$passed" "$failed"
	[ "$skipped" = 0 ] || printf ', %d skipped' "$skipped"
	printf '\n'
	[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
}
