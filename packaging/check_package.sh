#!/usr/bin/env bash
# Installs the Debian package on this machine as a user would, runs the installed program, checks
# that its files are in place, then purges it and checks that nothing it installed is left. Needs
# root or sudo, no display, and a machine where vornlace is not installed yet (it is removed at
# the end, also when a check fails).
# usage: packaging/check_package.sh build/package/vornlace_<version>_<arch>.deb
set -euo pipefail

if [[ $# -ne 1 || ! -f $1 ]]; then
  echo "usage: $0 PACKAGE.deb" >&2
  exit 2
fi
deb=$1
# apt-get takes a file for a package name only when it looks like a path.
[[ $deb == /* || $deb == ./* ]] || deb=./$deb

if [[ $(id -u) -eq 0 ]]; then
  sudo=()
else
  sudo=(sudo)
fi
export DEBIAN_FRONTEND=noninteractive
apt_get=("${sudo[@]}" apt-get -y -qq -o DPkg::Lock::Timeout=600)

# Empty when dpkg knows nothing of vornlace, "install ok installed" once it is installed.
status() { dpkg-query -W -f='${Status}' vornlace 2>/dev/null || true; }
if [[ -n $(status) ]]; then
  echo "FAIL: vornlace is already on this machine; this check would remove it" >&2
  exit 1
fi

failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

work=$(mktemp -d "${TMPDIR:-/tmp}/vornlace-package.XXXXXX")
purged=no
cleanup() {
  [[ $purged == yes ]] || "${apt_get[@]}" purge vornlace >/dev/null 2>&1 || true
  rm -rf "$work"
}
trap cleanup EXIT
trap 'exit 1' HUP INT TERM

echo "-- apt-get install $deb"
# The dependencies come from the archive: read its lists again once if they are stale or missing.
if ! "${apt_get[@]}" install "$deb" >"$work/apt.log" 2>&1 \
  && ! { "${apt_get[@]}" update && "${apt_get[@]}" install "$deb"; } >"$work/apt.log" 2>&1; then
  cat "$work/apt.log" >&2
  echo "FAIL: apt-get install failed" >&2
  exit 1
fi
[[ $(status) == "install ok installed" ]] || { echo "FAIL: apt-get did not install vornlace" >&2; exit 1; }

# The package's own record: its upstream version is the one the program shows, and the
# dependencies include the computed libraries and the translations added by hand.
version=$(dpkg-query -W -f='${Version}' vornlace)
depends=$(dpkg-query -W -f='${Depends}' vornlace)
[[ $depends == *libqt6widgets6* ]] || fail "Depends lacks the Qt libraries: $depends"
[[ $depends == *qt6-translations-l10n* ]] || fail "Depends lacks qt6-translations-l10n: $depends"

# The installed program, with no display.
unset DISPLAY WAYLAND_DISPLAY
shown=$(/usr/bin/vornlace --version) || fail "/usr/bin/vornlace --version failed"
[[ $shown == "Vornlace ${version%-*}" ]] || fail "the program says '$shown', the package is $version"
/usr/bin/vornlace --render style3 --max 10 --output "$work/style3.png" \
  || fail "/usr/bin/vornlace --render failed"
picture=$(file -b "$work/style3.png" 2>&1 || true)
[[ $picture == "PNG image data, 573 x 413,"* ]] || fail "--render wrote no 573 x 413 PNG: $picture"
# No run-time search path (Debian's libraries are found without one), and the hardening the
# build asked for: a position-independent program, its relocations read-only and bound at start.
dynamic=$(readelf -d /usr/bin/vornlace)
headers=$(readelf -lW /usr/bin/vornlace)
[[ $dynamic != *"(RPATH)"* && $dynamic != *"(RUNPATH)"* ]] || fail "/usr/bin/vornlace has a search path"
[[ $dynamic == *"(FLAGS_1)"*"NOW"*"PIE"* ]] || fail "/usr/bin/vornlace is not PIE with BIND_NOW"
[[ $headers == *GNU_RELRO* ]] || fail "/usr/bin/vornlace has no read-only relocations"

# What dpkg says it installed is all there, with the desktop entry, the icon it names in every
# hicolor size (each really that size), the man page and the copyright.
dpkg -L vornlace >"$work/files"
while IFS= read -r path; do
  [[ -e $path ]] || fail "dpkg lists $path but it is missing"
done <"$work/files"
expect() { grep -qx -- "$1" "$work/files" || fail "the package does not install $1"; }
desktop=/usr/share/applications/org.vornlace.Vornlace.desktop
expect /usr/bin/vornlace
expect "$desktop"
expect /usr/share/metainfo/org.vornlace.Vornlace.metainfo.xml
expect /usr/share/man/man1/vornlace.1.gz
expect /usr/share/doc/vornlace/copyright
expect /usr/share/doc/vornlace/changelog.Debian.gz
icon=$(sed -n 's/^Icon=//p' "$desktop" 2>/dev/null | head -n 1)
icons=0
while IFS= read -r path; do
  icons=$((icons + 1))
  size=${path#/usr/share/icons/hicolor/}
  size=${size%%/*}
  [[ $(file -b "$path") == "PNG image data, ${size/x/ x },"* ]] || fail "$path is not a $size PNG"
done < <(grep -E "^/usr/share/icons/hicolor/[0-9]+x[0-9]+/apps/$icon\.png$" "$work/files")
((icons > 0)) || fail "no hicolor icon named '$icon', as the desktop entry wants"
echo "installed vornlace $version: $(wc -l <"$work/files") paths, $icons icons, --render wrote a PNG"

echo "-- apt-get purge vornlace"
if ! "${apt_get[@]}" purge vornlace >"$work/apt.log" 2>&1; then
  cat "$work/apt.log" >&2
  fail "apt-get purge failed"
fi
purged=yes
[[ $(status) == "" || $(status) == *not-installed ]] || fail "vornlace is '$(status)' after the purge"
# A folder may stay when it holds other files or another package owns it; nothing else may.
left=0
while IFS= read -r path; do
  if [[ -d $path && ! -L $path ]]; then
    [[ -n $(ls -A "$path") ]] || dpkg -S "$path" >/dev/null 2>&1 || {
      fail "empty folder $path left behind"
      left=$((left + 1))
    }
  elif [[ -e $path || -L $path ]]; then
    fail "$path left behind"
    left=$((left + 1))
  fi
done <"$work/files"
compgen -G "/var/lib/dpkg/info/vornlace.*" >/dev/null && fail "dpkg's records of vornlace remain"
((left == 0)) && echo "purged: none of the $(wc -l <"$work/files") paths is left"

if ((failures > 0)); then
  echo "$failures problem(s) with the package" >&2
  exit 1
fi
echo "package check passed"
