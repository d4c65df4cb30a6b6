#!/bin/bash
# Usage: cpu_models.sh QEMU DISPATCH_TEST AGREEMENT ORVANE_QUESSEL
# Under qemu's models of three processors, each without what the next adds
# (qemu64: no SSE4; Westmere: SSE4; Haswell: AVX2), the batch functions
# offer the builds the model runs and agree with one question at a time,
# and orvane-quessel answers a file as it does natively; nothing dies of an
# illegal instruction. Models older than the build's own baseline are
# left out, and said so.
qemu=$1
dispatch=$2
agreement=$3
program=$4
[ -x "$qemu" ] || { echo 'skipped: no qemu-x86_64 (Debian: qemu-user)'; exit 77; }
native=$("$dispatch") || { echo "natively: $native"; exit 1; }
offered=${native#*builds here: }
offered=${offered%%;*}
baseline=${native##*baseline: }
tmp=$(mktemp -d) || exit 1
trap 'rm -rf "$tmp"' EXIT

# Questions of every scale, extremes and the tools' own cases among them.
edges=(0 1 -1 9223372036854775807 -9223372036854775808 1073741824 -1073741825 3037000500 360 -180 540 90)
value() {
	case $((RANDOM % 3)) in
	0) v=${edges[RANDOM % ${#edges[@]}]} ;;
	1) v=$((RANDOM % 2001 - 1000)) ;;
	*) v=$((((RANDOM << 48 | RANDOM << 33 | RANDOM << 18 | RANDOM) >> RANDOM % 62) * (RANDOM % 2 * 2 - 1))) ;;
	esac
}
RANDOM=1
for tool in orvane:7 quessel:6; do
	for ((i = 0; i < 3000; i++)); do
		line=
		for ((k = 0; k < ${tool#*:}; k++)); do
			value
			line+=" $v"
		done
		echo "${line# }"
	done >"$tmp/${tool%:*}"
	"$program" "${tool%:*}" "$tmp/${tool%:*}" >"$tmp/${tool%:*}.native" || exit 1
done

declare -A level=([any]=0 [sse4]=1 [avx2]=2 [avx512]=3)
declare -A model_level=([qemu64]=0 [Westmere]=1 [Haswell]=2)
status=0 ran=0
for model in qemu64 Westmere Haswell; do
	if [ "${level[$baseline]}" -gt "${model_level[$model]}" ]; then
		echo "left out: $model, older than this build's baseline, $baseline"
		continue
	fi
	ran=$((ran + 1))
	want=
	for build in $offered; do
		[ "${level[$build]-0}" -gt "${model_level[$model]}" ] || want+="$build "
	done
	want=${want% }
	# qemu warns of the model's features that it does not emulate.
	run() {
		"$qemu" -cpu "$model" "$@" 2>"$tmp/err"
		local status=$?
		grep -v '^qemu-x86_64: warning: TCG' "$tmp/err" >&2
		return $status
	}
	got=$(run "$dispatch") || { echo "$model: dispatch: $got"; status=1; }
	[[ $got == *"builds here: $want;"* ]] || { echo "$model: dispatch: $got; want $want"; status=1; }
	got=$(run "$agreement" 100000) || { echo "$model: agreement: $got"; status=1; }
	[[ $got == *"batch builds $want; 0 disagreements" ]] || { echo "$model: $got; want $want"; status=1; }
	for tool in orvane quessel; do
		run "$program" $tool "$tmp/$tool" >"$tmp/$tool.$model" || { echo "$model: $tool: failed"; status=1; }
		cmp -s "$tmp/$tool.native" "$tmp/$tool.$model" || { echo "$model: $tool: answers differ from the native run"; status=1; }
	done
	echo "$model: $want"
done
[ $ran -gt 0 ] || { echo "skipped: this build's baseline, $baseline, is newer than every model"; exit 77; }
exit $status
