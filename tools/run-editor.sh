#!/usr/bin/env bash
# Installs what is missing, builds the editor and starts it (arguments go to the editor).
set -euo pipefail
cd "$(dirname "$0")/.."
tools/packages.sh
cmake --preset default >/dev/null
cmake --build --preset default --target tarvold
exec build/default/schedule/tarvold "$@"
