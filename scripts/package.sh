#!/usr/bin/env bash
# Builds the Debian package build/package/vornlace_<version>_<arch>.deb from an optimised build
# of its own (build/package-build), checks it with lintian (any error fails) and prints its path.
# Install it with: sudo apt-get install ./build/package/vornlace_*.deb
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh package
cmake --preset package >/dev/null
cmake --build --preset package
rm -f build/package/vornlace_*.deb
cpack --preset package >/dev/null

debs=(build/package/vornlace_*.deb)
if [[ ${#debs[@]} -ne 1 || ! -f ${debs[0]} ]]; then
  echo "package.sh: expected one package in build/package, found: ${debs[*]}" >&2
  exit 1
fi
# Warnings and notes are shown; only errors fail the build.
lintian --display-info --fail-on error "${debs[0]}"
echo "${debs[0]}"
