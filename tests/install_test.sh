#!/bin/bash
# Usage: install_test.sh CMAKE BUILD_DIR CXX CC BINDIR MANDIR LIBDIR PKG_CONFIG
#                        [CMAKE_ARG...]
# Installs into a scratch prefix, then moves the whole install elsewhere,
# runs the programs there, and the Python package with the interpreter in
# $PYTHON if it is built, asks the CMake package for each component, and
# builds a consumer against it and against the pkg-config file beside it,
# found through PKG_CONFIG_PATH alone. Then installs into two prefixes and
# removes each in either order. The build tree's install manifest is left
# as it was.
cmake=$1
build=$2
cxx=$3
cc=$4
bindir=$5
mandir=$6
libdir=$7
pkg_config=$8
shift 8
here=$(dirname "$0")
scratch=$(mktemp -d) || exit 1
manifest=$build/install_manifest.txt
[ ! -e "$manifest" ] || cp -p "$manifest" "$scratch/manifest" || exit 1
restore() {
	if [ -e "$scratch/manifest" ]; then
		cp -p "$scratch/manifest" "$manifest"
	else
		rm -f "$manifest"
	fi
}
trap 'restore; rm -rf "$scratch"' EXIT

"$cmake" --install "$build" --prefix "$scratch/installed" >/dev/null || exit 1
prefix=$scratch/moved
mv "$scratch/installed" "$prefix" || exit 1
status=0
fail() {
	echo "$*"
	status=1
}
for f in "$mandir/man1/orvane.1.gz" "$mandir/man1/quessel.1.gz"; do
	[ -f "$prefix/$f" ] || fail "not installed: $f"
done
[ "$($EMULATOR "$prefix/$bindir/orvane" 0 0 10 0 20 5 5)" = 1 ] || fail "installed orvane fails"
[ "$($EMULATOR "$prefix/$bindir/quessel" 10 10 0 0 0 90)" = 1 ] || fail "installed quessel fails"
python_package() {
	dirname "$(find "$1" -path '*/orvane_quessel/__main__.py')"
}
if [ -n "${PYTHON-}" ]; then
	answer=$(echo 0 0 10 0 20 5 5 | PYTHONPATH=$(dirname "$(python_package "$prefix")") \
		"$PYTHON" -m orvane_quessel orvane)
	[ "$answer" = 1 ] || fail "the installed Python package fails: $answer"
fi

targets=$(find "$prefix" -name orvane_quessel-targets.cmake)
grep -n '<[A-Z_]*:>' "$targets" && fail "the exported targets hold an empty expression"

components() {
	LDFLAGS= "$cmake" -S "$here/components" -B "$scratch/components" --fresh \
		-DCMAKE_PREFIX_PATH="$prefix" -DCOMPONENTS="$1" 2>&1
}
for c in approach radar 'approach;radar'; do
	components "$c" >/dev/null || fail "find_package: COMPONENTS $c not found"
done
out=$(components 'radar;nosuch') && fail "find_package: COMPONENTS nosuch found"
grep -q 'no component nosuch' <<<"$out" || fail "find_package: no word of nosuch in: $out"

bash "$here/consumer_test.sh" "$prefix/$bindir" cmake "$cmake" "$cxx" "$cc" \
	-DCMAKE_PREFIX_PATH="$prefix" "$@" || status=1
if [ -x "$pkg_config" ]; then
	export PKG_CONFIG_PATH=$prefix/$libdir/pkgconfig
	flags=$("$pkg_config" --cflags --libs-only-L orvane_quessel)
	[[ $flags == "-I$prefix/"*" -L$prefix/"* ]] || fail "pkg-config points elsewhere: $flags"
	bash "$here/consumer_test.sh" "$prefix/$bindir" pkg-config "$pkg_config" "$cxx" "$cc" || status=1
else
	echo 'not checked: the pkg-config file, with no pkg-config here'
fi

# Two installs side by side, one of them twice, each removed in either
# order: a removal takes its own files, Python's caches of its modules and
# the folders its install made, and leaves the other install and a folder
# that was there before, though empty.
for order in 'a b' 'b a'; do
	mkdir -p "$scratch/a/$bindir" || exit 1
	for p in a b a; do
		"$cmake" --install "$build" --prefix "$scratch/$p" >/dev/null || fail "install into $p fails"
	done
	[ -z "${PYTHON-}" ] || PYTHONDONTWRITEBYTECODE= PYTHONPATH=$(dirname "$(python_package "$scratch/a")") \
		"$PYTHON" -c 'import orvane_quessel' || fail "the Python package in a fails"
	read -r first second <<<"$order"
	for p in $first $second; do
		"$cmake" -P "$scratch/$p/share/orvane-quessel/remove.cmake" >/dev/null || fail "removing $p fails"
		[ $p = $second ] || [ -x "$scratch/$second/$bindir/orvane" ] || fail "removing $p removed $second"
	done
	left=$(cd "$scratch" && find a b 2>/dev/null)
	[ "$left" = "$(printf 'a\na/%s' "$bindir")" ] || fail "removed in the order $order, left: $left"
	rm -rf "$scratch/a"
done

restore
if [ -e "$scratch/manifest" ]; then
	cmp -s "$manifest" "$scratch/manifest" || fail "the install manifest changed"
else
	[ ! -e "$manifest" ] || fail "an install manifest appeared"
fi
exit $status
