#!/usr/bin/env bash
# Sets up, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j "$(nproc)"
# The web page: the core built with emscripten, its pictures checked in Chromium, Firefox and
# WebKit against the renders of the build above. Firefox is driven by the pinned puppeteer-core.
scripts/web.sh --build-only
[[ tests/web/node_modules/.package-lock.json -nt tests/web/package-lock.json ]] ||
  npm ci --prefix tests/web --no-audit --no-fund --loglevel=error
/usr/bin/python3 tests/web/run_web_tests.py --site build/web/site --vornlace build/ci/vornlace
