#!/bin/bash
# Usage: install_test.sh CMAKE BUILD_DIR CXX BINDIR MANDIR [CMAKE_ARG...]
# Installs into a scratch prefix, runs the programs that landed there, and
# builds a consumer against the CMake package that landed beside them.
cmake=$1
build=$2
cxx=$3
bindir=$4
mandir=$5
shift 5
prefix=$(mktemp -d) || exit 1
trap 'rm -rf "$prefix"' EXIT

"$cmake" --install "$build" --prefix "$prefix" >/dev/null || exit 1
status=0
for f in "$mandir/man1/orvane.1" "$mandir/man1/quessel.1"; do
	[ -f "$prefix/$f" ] || { echo "not installed: $f"; status=1; }
done
[ "$("$prefix/$bindir/orvane" 0 0 10 0 20 5 5)" = 1 ] || { echo "installed orvane fails"; status=1; }
[ "$("$prefix/$bindir/quessel" 10 10 0 0 0 90)" = 1 ] || { echo "installed quessel fails"; status=1; }
bash "$(dirname "$0")/consumer_test.sh" "$cmake" "$cxx" "$prefix/$bindir" \
	-DCMAKE_PREFIX_PATH="$prefix" "$@" || status=1
exit $status
