#!/bin/bash
# Usage: consumer_test.sh BIN_DIR cmake CMAKE CXX CC [CMAKE_ARG...]
#        consumer_test.sh BIN_DIR pkg-config PKG_CONFIG CXX CC
# Builds the consumer in C++ with -O3 -ffast-math and in C11 with every
# warning an error, finding the predicates through CMake with the given
# arguments or through pkg-config, runs both, and asks the programs in
# BIN_DIR every case they printed: the library in either language and the
# programs must agree. An emulator in $EMULATOR runs them all; LDFLAGS
# reach the link either way. Through CMake, installing the consumer must
# install the consumer alone.
bin=$1
how=$2
shift 2
source=$(dirname "$0")/consumer
build=$(mktemp -d) || exit 1
trap 'rm -rf "$build"' EXIT

case $how in
cmake)
	cmake=$1 cxx=$2 cc=$3
	shift 3
	{
		"$cmake" -S "$source" -B "$build" -DCMAKE_CXX_COMPILER="$cxx" \
			-DCMAKE_C_COMPILER="$cc" -DCMAKE_BUILD_TYPE=None \
			-DCMAKE_CXX_FLAGS='-O3 -ffast-math' -DCMAKE_C_FLAGS=-O3 "$@" &&
			"$cmake" --build "$build" &&
			"$cmake" --install "$build" --prefix "$build/root"
	} >"$build/log" 2>&1 || { cat "$build/log"; exit 1; }
	installed=$(cd "$build/root" && find . ! -type d | sort)
	if [ "$installed" != "$(printf './bin/consumer\n./bin/consumer_c')" ]; then
		printf 'installing the consumer installed:\n%s\n' "$installed"
		exit 1
	fi
	;;
pkg-config)
	pkg_config=$1 cxx=$2 cc=$3
	flags=$("$pkg_config" --cflags --libs orvane_quessel) || exit 1
	mkdir -p "$build/root/bin" || exit 1
	"$cxx" -O3 -ffast-math "$source/consumer.cpp" $flags ${LDFLAGS-} -o "$build/root/bin/consumer" &&
		"$cc" -std=c11 -Wall -Wextra -pedantic -Werror -O3 "$source/consumer.c" $flags ${LDFLAGS-} \
			-o "$build/root/bin/consumer_c" || exit 1
	;;
esac

$EMULATOR "$build/root/bin/consumer" >"$build/cases" || exit 1
$EMULATOR "$build/root/bin/consumer_c" >"$build/cases_c" || exit 1
cmp "$build/cases" "$build/cases_c" || { echo 'the C consumer answers otherwise'; exit 1; }
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
echo "consumer ($how, C++ and C): $count cases asked of the programs, $differ answered otherwise"
[ "$count" -gt 0 ] && [ "$differ" -eq 0 ]
