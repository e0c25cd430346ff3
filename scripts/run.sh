#!/usr/bin/env bash
# Sets up, builds (optimised) and starts Vornlace.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/setup.sh run
cmake --preset release >/dev/null
cmake --build --preset release >/dev/null
exec build/release/vornlace "$@"
