#!/bin/bash
# Usage: [EXPORTS=NAME] lean_test.sh READELF PROGRAM...
# Each program (or module) loads libc and libm and nothing else, naming
# both, and exports nothing for dynamic linking but NAME (copies of library
# data, name@VERSION, are not exports). ppc64el's readelf puts a
# [<localentry>: N] in the columns.
readelf=$1
shift
[ -x "$readelf" ] || { echo 'skipped: no readelf (Debian: binutils)'; exit 77; }
status=0
for prog; do
	needed=$("$readelf" -d "$prog" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p' | sort | tr '\n' ' ')
	if [ "$needed" != 'libc.so.6 libm.so.6 ' ]; then
		printf '%s needs: %s\n' "$prog" "$needed"
		status=1
	fi
	exported=$("$readelf" --dyn-syms -W "$prog" | sed 's/\[<localentry>: [0-9]*\]//' |
		awk '$7 != "UND" && ($5 == "GLOBAL" || $5 == "WEAK") && $8 !~ /@/ { print $8 }')
	if [ "$exported" != "${EXPORTS-}" ]; then
		printf '%s exports: %s\n' "$prog" "$exported"
		status=1
	fi
done
exit $status
