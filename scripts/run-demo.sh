#!/usr/bin/env bash
# Installs what is missing, builds the optimised native libraries and the host simulator,
# and runs the simulator's demo on the sample data.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
cmake --preset release >/dev/null
cmake --build --preset release
build/release/bin/xmt-host "$@"
