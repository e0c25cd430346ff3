#!/usr/bin/env bash
# Builds the web page into build/web/site/ (index.html at its root) and serves it on
# http://127.0.0.1:8000/ until Ctrl+C. Usage: scripts/web.sh [--build-only]
# The site is static: copy build/web/site/ to any web server, or open its index.html from disk.
set -euo pipefail
cd "$(dirname "$0")/.."

build_only=false
case "${1:-}" in
  "") ;;
  --build-only) build_only=true ;;
  *) echo "usage: $0 [--build-only]" >&2; exit 2 ;;
esac

scripts/setup.sh web
# Debian's emscripten finds its JavaScript modules through Debian's node; another node on the
# PATH needs to be told where they are.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
emcmake cmake --preset web >/dev/null
cmake --build --preset web

site=build/web/site
if $build_only; then
  echo "Built $site/"
  exit 0
fi
echo "Serving $site/ on http://127.0.0.1:8000/ (Ctrl+C stops)"
exec python3 -m http.server 8000 --bind 127.0.0.1 --directory "$site"
