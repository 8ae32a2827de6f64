#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# With an argument, uses that preset (default, asan, release).
set -euo pipefail
cd "$(dirname "$0")/.."
preset=${1:-default}
scripts/deps.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
ctest --preset "$preset" -j2
