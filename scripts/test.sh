#!/usr/bin/env bash
# Sets up, builds with warnings as errors, and runs every test.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh test
cmake --preset ci >/dev/null
cmake --build --preset ci
ctest --preset ci -j "$(nproc)"
# The web page: the core built with emscripten, its pictures checked in headless Chromium
# against the renders of the build above.
scripts/web.sh --build-only
/usr/bin/python3 tests/web/run_web_tests.py --site build/web/site --vornlace build/ci/vornlace
