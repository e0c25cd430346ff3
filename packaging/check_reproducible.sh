#!/usr/bin/env bash
# Builds the Debian packages twice with scripts/package.sh, in two folders of different names and
# depths, the second with the clock 400 days ahead (faketime), and checks that every .deb of the
# second build is the first one byte for byte. Prints each package's SHA-256 and each build's
# time. The builds skip the tests (nocheck): they add nothing to the packages.
# usage: packaging/check_reproducible.sh [FOLDER]   (default build/reproducible)
set -euo pipefail
cd "$(dirname "$0")/.."
base=${1:-build/reproducible}
first="$base/first"
second="$base/again/second"
export DEB_BUILD_OPTIONS="nocheck${DEB_BUILD_OPTIONS:+ $DEB_BUILD_OPTIONS}"

build() {
  local start=$SECONDS
  "$@" >"$base/build.log" 2>&1 || { cat "$base/build.log" >&2; echo "FAIL: $*" >&2; exit 1; }
  echo "built in $((SECONDS - start)) s: ${*: -1}"
}
rm -rf "$base"
mkdir -p "$base"
build scripts/package.sh "$first"
build faketime -f +400d scripts/package.sh "$second"

failures=0
for deb in "$first"/*.deb; do
  other="$second/$(basename "$deb")"
  sha256sum "$deb" "$other" 2>/dev/null | sed "s|  $PWD/|  |"
  cmp -s "$deb" "$other" || { echo "FAIL: $(basename "$deb") differs" >&2; failures=$((failures + 1)); }
done
[[ $(ls "$first"/*.deb | wc -l) == $(ls "$second"/*.deb | wc -l) ]] \
  || { echo "FAIL: the builds made different packages" >&2; failures=$((failures + 1)); }
((failures == 0)) || exit 1
echo "reproducible: $(ls "$first"/*.deb | wc -l) packages, byte for byte the same"
