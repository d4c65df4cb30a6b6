#!/bin/bash
# Usage: consumer_test.sh CMAKE CXX BIN_DIR [CMAKE_ARG...]
# Builds the consumer project with -O3 -ffast-math and the given arguments
# (how it finds the predicates), runs it, and asks the programs in BIN_DIR
# every case it printed: the library and the programs must agree.
cmake=$1
cxx=$2
bin=$3
shift 3
build=$(mktemp -d) || exit 1
trap 'rm -rf "$build"' EXIT

"$cmake" -S "$(dirname "$0")/consumer" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" \
	-DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS='-O3 -ffast-math' "$@" >"$build/log" 2>&1 &&
	"$cmake" --build "$build" >>"$build/log" 2>&1 || { cat "$build/log"; exit 1; }
"$build/consumer" >"$build/cases" || exit 1

count=0
differ=0
while read -r prog args; do
	[ "$prog" = distance ] && continue
	want=${args##* }
	got=$("$bin/$prog" ${args% *})
	count=$((count + 1))
	if [ "$got" != "$want" ]; then
		echo "$prog ${args% *}: the program says $got, the library $want"
		differ=$((differ + 1))
	fi
done <"$build/cases"
echo "consumer: $count cases asked of the programs, $differ answered otherwise"
[ "$count" -gt 0 ] && [ "$differ" -eq 0 ]
