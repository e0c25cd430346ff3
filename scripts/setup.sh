#!/usr/bin/env bash
# Installs the Debian packages Vornlace needs, only those that are missing, and says nothing
# when everything is already there. Usage: scripts/setup.sh run|test|package|web
set -euo pipefail

run_packages=(g++ cmake ninja-build pkg-config qt6-base-dev qt6-wayland qt6-translations-l10n
              libwebp-dev libgif-dev libgtest-dev fonts-ipafont-gothic python3)
test_packages=(desktop-file-utils appstream xvfb xauth xdotool imagemagick x11-utils libx11-dev
               weston clang libclang-rt-14-dev clang-format-14
               at-spi2-core dbus-daemon dbus-bin python3-pyatspi)
# The Debian package: debian/control's Build-Depends (with those of its tests), the tools that
# build, check and compare it, and what the package check runs.
package_packages=(debhelper pkgconf help2man desktop-file-utils appstream dpkg-dev git xz-utils
                  lintian faketime file binutils)
web_packages=(cmake ninja-build emscripten python3)
# The browser tests: Chromium through chromedriver, Firefox ESR through puppeteer-core on Node
# (installed by npm ci; Debian's Node where the machine has none), WebKitGTK's MiniBrowser
# through WebKitWebDriver in an Xvfb.
browser_test_packages=(chromium chromium-driver python3-selenium firefox-esr webkit2gtk-driver
                       xvfb)
command -v npm >/dev/null || browser_test_packages+=(nodejs npm)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${run_packages[@]}" "${test_packages[@]}" "${web_packages[@]}"
              "${browser_test_packages[@]}") ;;
  package) wanted=("${run_packages[@]}" "${package_packages[@]}") ;;
  web) wanted=("${web_packages[@]}") ;;
  *) echo "usage: $0 run|test|package|web" >&2; exit 2 ;;
esac

missing=()
for p in "${wanted[@]}"; do
  status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
  [[ "$status" == "install ok installed" ]] || missing+=("$p")
done
[[ ${#missing[@]} -eq 0 ]] && exit 0

if [[ $(id -u) -eq 0 ]]; then
  sudo=()
elif command -v sudo >/dev/null; then
  sudo=(sudo)
else
  echo "These packages are missing and neither root nor sudo is available: ${missing[*]}" >&2
  exit 1
fi
echo "Installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
"${sudo[@]}" apt-get update -qq
"${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
