#!/usr/bin/env bash
# Builds the source package from scripts/package.sh in a fresh Debian 12 chroot that holds only
# the essential packages, build-essential and what debian/control's Build-Depends pull in, so a
# missing build dependency fails here rather than on someone else's machine. The tests run as
# in any package build. Needs root, mmdebstrap and Debian's archive; not part of CI (it fetches
# a few hundred megabytes). The packages it builds are left in FOLDER/clean-chroot.
# usage: packaging/check_build_depends.sh [FOLDER]   (default build/package)
set -euo pipefail
cd "$(dirname "$0")/.."
folder=$(realpath "${1:-build/package}")
dsc=$(ls "$folder"/vornlace_*.dsc)
# The .dsc and the tarballs its Files field names.
sources=("$dsc")
while read -r _ _ name; do sources+=("$folder/$name"); done \
  < <(sed -n '/^Files:/,/^[^ ]/s/^ \([0-9a-f]* [0-9]* .*\)/\1/p' "$dsc")
out="$folder/clean-chroot"
rm -rf "$out"
mkdir -p "$out"

# The hooks run in the chroot that mmdebstrap mounts /proc, /sys and /dev for.
mmdebstrap --variant=buildd --mode=root \
  --customize-hook="mkdir -p \"\$1/src\"" \
  --customize-hook="copy-in ${sources[*]} /src" \
  --customize-hook="chroot \"\$1\" sh -ec 'cd /src && apt-get build-dep -y ./$(basename "$dsc") \
      && dpkg-source -x $(basename "$dsc") tree && cd tree && dpkg-buildpackage -us -uc -b'" \
  --customize-hook="sync-out /src $out" \
  bookworm /dev/null
ls "$out"/*.deb
