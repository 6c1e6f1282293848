#!/usr/bin/env bash
# Installs what is missing, then builds and runs every test: native (dev, asan) and the
# 64-bit Windows build under Wine (win64).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
presets=("${@:-dev asan win64}")
for preset in ${presets[@]}; do
  echo "=== $preset ==="
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset"
  ctest --preset "$preset"
done
