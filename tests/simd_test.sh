#!/bin/bash
# Usage: simd_test.sh OBJDUMP AGREEMENT LIBRARY...
# Each SIMD build of a batch kernel in the LIBRARYs is vectorised at its
# width, and fuses no multiply with an add, since the answers on a bound
# rest on each product rounded alone; each library has one at least. On
# x86-64, the builds that AGREEMENT says the batch functions choose among
# are those of the processor's flags in /proc/cpuinfo, where it runs natively.
objdump=$1
agreement=$2
shift 2
status=0
fail() {
	echo "$*"
	status=1
}

# Per target: what its vector instructions show, and what a fused
# multiply-add looks like there.
declare -A vector=([AVX3]='%zmm' [AVX2]='%ymm' [SSE4]='[a-z]pd\s|pmuldq|pcmpgtq' [NEON]='\.2d')
fused='vfn?m(add|sub)|fml[as]|fn?m(add|sub)'
for library; do
	code=$("$objdump" -d --no-show-raw-insn -C "$library" |
		awk '/^[0-9a-f]+ <.*>:$/ { name = $0; next } { print name "\t" $0 }')
	builds=$(grep -o 'N_[A-Z0-9_]*::spans::many' <<<"$code" | sort -u)
	[ -n "$builds" ] || fail "${library##*/}: no SIMD build of its kernel"
	for build in $builds; do
		target=${build#N_}
		target=${target%::spans::many}
		# With the target's own functions, which an unoptimised build calls
		# rather than inlining them.
		body=$(awk -F '\t' -v t="N_$target::" 'index($1, t)' <<<"$code")
		[ -n "${vector[$target]-}" ] || { fail "${library##*/}: no check for $target"; continue; }
		n=$(grep -cE "${vector[$target]}" <<<"$body")
		[ "$n" -ge 10 ] || fail "${library##*/}: $target's kernel has $n vector instructions"
		! grep -E "	($fused)" <<<"$body" | head -3 | grep . ||
			fail "${library##*/}: $target's kernel fuses a multiply with an add"
	done
done

if [ -z "${EMULATOR-}" ] && [ "$(uname -m)" = x86_64 ] && [ -r /proc/cpuinfo ]; then
	flags=" $(grep -m1 '^flags' /proc/cpuinfo | cut -d: -f2) "
	has() {
		for f; do [[ $flags == *" $f "* ]] || return 1; done
	}
	present=$(nm -C "$1" | grep -o 'N_[A-Z0-9_]*::spans::many' | sort -u)
	want=
	! grep -q N_AVX3 <<<"$present" || ! has avx512f avx512vl avx512dq avx512bw || want+='avx512 '
	! grep -q N_AVX2 <<<"$present" || ! has avx2 bmi1 bmi2 fma f16c || want+='avx2 '
	! grep -q N_SSE4 <<<"$present" || ! has ssse3 sse4_1 sse4_2 pclmulqdq aes || want+='sse4 '
	got=$($EMULATOR "$agreement" 0 | sed -n 's/.*batch builds \(.*\);.*/\1/p')
	[ "$got" = "${want}each" ] || fail "the batch functions choose among: $got; this processor runs: ${want}each"
fi
exit $status
