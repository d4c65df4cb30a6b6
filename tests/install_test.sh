#!/bin/bash
# Usage: install_test.sh CMAKE BUILD_DIR
# Installs into a scratch prefix and runs what landed there.
cmake=$1
build=$2
prefix=$(mktemp -d) || exit 1
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
status=0
for f in bin/orvane bin/quessel share/man/man1/orvane.1 share/man/man1/quessel.1; do
	[ -f "$prefix/$f" ] || { echo "not installed: $f"; status=1; }
done
[ "$("$prefix/bin/orvane" 0 0 10 0 20 5 5)" = 1 ] || { echo "installed orvane fails"; status=1; }
[ "$("$prefix/bin/quessel" 10 10 0 0 0 90)" = 1 ] || { echo "installed quessel fails"; status=1; }
exit $status
