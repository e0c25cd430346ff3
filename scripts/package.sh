#!/usr/bin/env bash
# Builds the Debian source package and its binary packages with dpkg-buildpackage, checks them
# with lintian (an error or a warning fails) and leaves them in build/package/, or in the folder
# given: the .dsc with its two tarballs, vornlace_<version>_<arch>.deb, the -dbgsym package,
# the .buildinfo and the .changes. DEB_BUILD_OPTIONS is passed on (nocheck skips the tests).
# Install the result with: sudo apt-get install ./build/package/vornlace_*.deb
# usage: scripts/package.sh [FOLDER]
#
# The upstream tarball holds the working tree's files as they stand, tracked or new (not those
# .gitignore names), without debian/, which goes into the Debian tarball. dpkg-buildpackage writes beside the
# tree it builds, so it builds an unpacked copy in FOLDER/src, and nothing lands outside FOLDER.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package

out=$(realpath -m "${1:-build/package}")
name=$(dpkg-parsechangelog -SSource)
version=$(dpkg-parsechangelog -SVersion)
upstream=${version%-*}
arch=$(dpkg-architecture -qDEB_HOST_ARCH)
tree="$out/src/$name-$upstream"
orig="$out/src/${name}_$upstream.orig.tar.xz"

rm -rf "$out/src"
rm -f "$out/${name}"_* "$out/${name}"-dbgsym_*
mkdir -p "$out/src"

# The same files give the same tarball: names in order, one owner, the changelog's time.
epoch=$(dpkg-parsechangelog -STimestamp)
files() { git ls-files -z --cached --others --exclude-standard -- "$@"; }
files . ':!:debian' \
  | while IFS= read -r -d '' f; do [[ -e $f ]] && printf '%s\0' "$f"; done \
  | tar --create --null --files-from=- --sort=name --format=gnu --mtime="@$epoch" \
      --owner=0 --group=0 --numeric-owner --mode='u+rw,go=rX' \
      --transform="s|^|$name-$upstream/|" \
  | xz -6 -T1 >"$orig"
tar -xf "$orig" -C "$out/src"
files debian | xargs -0 cp --parents -t "$tree"

(cd "$tree" && nice -n 10 dpkg-buildpackage -us -uc -J2)
rm -rf "$tree"
mv "$out/src"/* "$out"/
rmdir "$out/src"

changes="$out/${name}_${version}_$arch.changes"
lintian -I -E --pedantic --fail-on error,warning "$changes"
ls "$out"/*.deb
