#!/bin/bash
# Usage: install_test.sh CMAKE BUILD_DIR CXX CC BINDIR MANDIR LIBDIR PKG_CONFIG
#                        [CMAKE_ARG...]
# Installs into a scratch prefix and holds its record to CMake's manifest,
# then moves the whole install elsewhere, runs the programs there, and the
# Python package with the interpreter in $PYTHON if it is built, asks the
# CMake package for each component, and builds a consumer against it and
# against the pkg-config file beside it, found through PKG_CONFIG_PATH
# alone. Then installs into two prefixes and removes each in either order;
# removes without the rights to; stages installs with DESTDIR. The build
# tree's install manifest is left as it was.
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

status=0
fail() {
	echo "$*"
	status=1
}
# The files a record names, and those a tree holds, sorted.
recorded() {
	sed -n 's/^file //p' "$1/share/orvane-quessel/installed.txt" | sort
}
holds() {
	(cd "$1" && find . ! -type d ! -name installed.txt | sed "s|^\.|$2|" | sort)
}

said=$("$cmake" --install "$build" --prefix "$scratch/installed") || exit 1
# Root's files, in folders root made, only root removes.
removal="To remove it$([ "$(id -u)" != 0 ] || echo ', as root like this install'): cmake -P $scratch/installed/share/orvane-quessel/remove.cmake"
grep -qxF -- "-- $removal" <<<"$said" || fail "the install does not say: $removal"
[ "$(sort "$manifest")" = "$(recorded "$scratch/installed")" ] ||
	fail "the record is not CMake's manifest: $(diff <(sort "$manifest") <(recorded "$scratch/installed"))"
prefix=$scratch/moved
mv "$scratch/installed" "$prefix" || exit 1
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

# Three installs into one prefix record each path once; a recorded file
# replaced by a link to nothing goes with the rest.
for i in 1 2 3; do
	"$cmake" --install "$build" --prefix "$scratch/a" >/dev/null || fail "install $i into a fails"
done
twice=$(sort "$scratch/a/share/orvane-quessel/installed.txt" | uniq -d)
[ -z "$twice" ] || fail "three installs recorded more than once: $twice"
rm "$scratch/a/$bindir/orvane" && ln -s "$scratch/nothing" "$scratch/a/$bindir/orvane" || exit 1
"$cmake" -P "$scratch/a/share/orvane-quessel/remove.cmake" >/dev/null || fail "removing beside a dangling link fails"
[ ! -e "$scratch/a" ] || fail "removing beside a dangling link left: $(find "$scratch/a")"

# A folder the install made keeps what was put there since, and the
# removal says so.
"$cmake" --install "$build" --prefix "$scratch/a" >/dev/null || fail "install into a fails"
touch "$scratch/a/$bindir/theirs"
out=$("$cmake" -P "$scratch/a/share/orvane-quessel/remove.cmake") || fail "removing a beside another file fails"
[ "$(cd "$scratch" && find a -type f)" = "a/$bindir/theirs" ] || fail "the removal took or left: $(find "$scratch/a")"
grep -q "Keeping: $scratch/a/$bindir/" <<<"$out" || fail "the removal kept $bindir silently: $out"
rm -rf "$scratch/a"

# Without the rights to remove a file, the removal names it and why, fails,
# and keeps the record, which it could remove, so that a second try with
# the rights removes all. Root may remove anything: it tries as nobody,
# who may remove the record alone, instead.
"$cmake" --install "$build" --prefix "$scratch/a" >/dev/null || fail "install into a fails"
as=()
if [ "$(id -u)" = 0 ]; then
	as=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
	chmod 755 "$scratch"
	chown nobody "$scratch/a/share/orvane-quessel"
else
	chmod a-w "$scratch/a/$bindir"
fi
out=$("${as[@]}" "$cmake" -P "$scratch/a/share/orvane-quessel/remove.cmake" 2>&1) &&
	fail "a removal without the rights to succeeds"
grep -q "$scratch/a/$bindir/orvane: Permission denied" <<<"$out" || fail "the failed removal does not say why: $out"
[ -f "$scratch/a/share/orvane-quessel/installed.txt" ] || fail "the failed removal lost its record"
chmod u+w "$scratch/a/$bindir"
"$cmake" -P "$scratch/a/share/orvane-quessel/remove.cmake" >/dev/null || fail "the second removal fails"
[ ! -e "$scratch/a" ] || fail "the second removal left: $(find "$scratch/a")"

# A staged install into a DESTDIR not yet made ends, and writes its record
# into the stage, naming the files where they will be, and nothing into the
# live prefix. Put in place, its removal takes them, and of the folders only
# those named after this project.
stage=$scratch/stage/not/yet
live=$scratch/live
DESTDIR=$stage timeout 120 "$cmake" --install "$build" --prefix "$live" >/dev/null || fail "a staged install fails"
[ ! -e "$live" ] || fail "a staged install wrote into the live prefix: $(find "$live")"
[ "$(recorded "$stage$live")" = "$(holds "$stage$live" "$live")" ] ||
	fail "the staged record is not the stage: $(diff <(recorded "$stage$live") <(holds "$stage$live" "$live"))"
mkdir -p "$live/share/doc" "$live/$libdir/cmake" && cp -a "$stage$live/." "$live" && rm -rf "$scratch/stage"
# Python, once the package is in place, caches its modules beside them.
[ -z "${PYTHON-}" ] || PYTHONDONTWRITEBYTECODE= PYTHONPATH=$(dirname "$(python_package "$live")") \
	"$PYTHON" -c 'import orvane_quessel.__main__' || fail "the staged Python package fails in place"
"$cmake" -P "$live/share/orvane-quessel/remove.cmake" >/dev/null || fail "removing the staged install fails"
[ -z "$(find "$live" ! -type d)" ] || fail "removing the staged install left: $(find "$live" ! -type d)"
# None of the folders named after this project: its data, CMake package,
# docs of each package and Python package.
left=$(find "$live" -name '*orvane*')
[ -z "$left" ] || fail "removing the staged install left: $left"
for theirs in share/doc "$libdir/cmake" "$bindir"; do
	[ -d "$live/$theirs" ] || fail "removing the staged install took $theirs, which the live prefix had"
done
rm -rf "$live"

# The Python package goes where that prefix's interpreter looks: Debian's
# own folder for /usr, the local one for /usr/local, the user's site for
# ~/.local. Staged, so that nothing outside the scratch folder changes.
if [ -n "${PYTHON-}" ]; then
	for where in /usr /usr/local "$scratch/home/.local"; do
		rm -rf "$scratch/stage"
		HOME=$scratch/home DESTDIR=$scratch/stage timeout 120 "$cmake" --install "$build" --prefix "$where" >/dev/null ||
			fail "a staged install into $where fails"
		package=$(python_package "$scratch/stage")
		HOME=$scratch/home "$PYTHON" -c 'import site, sys; sys.exit(sys.argv[1] not in sys.path + [site.getusersitepackages()])' \
			"$(dirname "${package#"$scratch/stage"}")" || fail "the Python package for $where went to ${package#"$scratch/stage"}"
	done
fi

if [ -e "$scratch/manifest" ]; then
	restore
	cmp -s "$manifest" "$scratch/manifest" || fail "the install manifest was not restored"
else
	restore
	[ ! -e "$manifest" ] || fail "an install manifest was left"
fi
exit $status
