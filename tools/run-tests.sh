#!/usr/bin/env bash
# Installs what is missing, builds everything and runs every test.
# With --sanitize the suite is built and run under AddressSanitizer and UBSan.
set -euo pipefail
cd "$(dirname "$0")/.."
preset=default
[ "${1:-}" = "--sanitize" ] && preset=sanitize
tools/packages.sh
cmake --preset "$preset" >/dev/null
cmake --build --preset "$preset"
export QT_QPA_PLATFORM=offscreen
ctest --preset "$preset"
