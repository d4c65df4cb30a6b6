#!/bin/bash
# Usage: version_test.sh VERSION CHANGELOG PAGE...
# The project's version is the changelog's newest entry and every page's.
version=$1
changelog=$2
shift 2
status=0
newest=$(sed -n '1s/^[^ ]* (\([^)]*\)).*/\1/p' "$changelog")
if [ "$newest" != "$version" ]; then
	echo "$changelog: newest entry is $newest, the project $version"
	status=1
fi
for page; do
	name=$(basename "$page" .1)
	if ! head -1 "$page" | grep -q "^\.TH .* \"$name $version\" "; then
		echo "$page: .TH does not say \"$name $version\""
		status=1
	fi
done
exit $status
