#!/bin/bash
# Usage: man_lint.sh GROFF PAGE...
# Fails on any warning, since groff itself exits 0 on them.
groff=$1
shift
[ -x "$groff" ] || { echo 'skipped: no groff (Debian: groff-base)'; exit 77; }
status=0
for page; do
	out=$("$groff" -man -ww -z "$page" 2>&1)
	if [ -n "$out" ]; then
		printf '%s: %s\n' "$page" "$out"
		status=1
	fi
	if [ -z "$("$groff" -man -Tutf8 "$page" 2>/dev/null)" ]; then
		printf '%s: renders empty\n' "$page"
		status=1
	fi
done
exit $status
