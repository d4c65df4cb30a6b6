#!/bin/bash
# Usage: consumer_test.sh BIN_DIR cmake CMAKE CXX [CMAKE_ARG...]
#        consumer_test.sh BIN_DIR pkg-config PKG_CONFIG CXX
# Builds the consumer with -O3 -ffast-math, finding the predicates through
# CMake with the given arguments or through pkg-config, runs it, and asks
# the programs in BIN_DIR every case it printed: the library and the
# programs must agree. An emulator in $EMULATOR runs both; LDFLAGS reach
# the link either way. Through CMake, installing the consumer must install
# the consumer alone.
bin=$1
how=$2
shift 2
source=$(dirname "$0")/consumer
build=$(mktemp -d) || exit 1
trap 'rm -rf "$build"' EXIT

case $how in
cmake)
	cmake=$1 cxx=$2
	shift 2
	{
		"$cmake" -S "$source" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" \
			-DCMAKE_BUILD_TYPE=None -DCMAKE_CXX_FLAGS='-O3 -ffast-math' "$@" &&
			"$cmake" --build "$build" &&
			"$cmake" --install "$build" --prefix "$build/root"
	} >"$build/log" 2>&1 || { cat "$build/log"; exit 1; }
	installed=$(cd "$build/root" && find . ! -type d)
	if [ "$installed" != ./bin/consumer ]; then
		printf 'installing the consumer installed:\n%s\n' "$installed"
		exit 1
	fi
	;;
pkg-config)
	pkg_config=$1 cxx=$2
	flags=$("$pkg_config" --cflags --libs orvane_quessel) || exit 1
	"$cxx" -O3 -ffast-math "$source/consumer.cpp" $flags ${LDFLAGS-} -o "$build/consumer" || exit 1
	;;
esac

$EMULATOR "$build/consumer" >"$build/cases" || exit 1
count=0
differ=0
while read -r prog args; do
	[ "$prog" = distance ] && continue
	want=${args##* }
	got=$($EMULATOR "$bin/$prog" ${args% *})
	count=$((count + 1))
	if [ "$got" != "$want" ]; then
		echo "$prog ${args% *}: the program says $got, the library $want"
		differ=$((differ + 1))
	fi
done <"$build/cases"
echo "consumer ($how): $count cases asked of the programs, $differ answered otherwise"
[ "$count" -gt 0 ] && [ "$differ" -eq 0 ]
