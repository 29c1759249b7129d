#!/usr/bin/env bash
# Installs what is missing, builds Tarnel in Release mode and starts it.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/setup.sh
jobs=$(nproc 2>/dev/null || echo 2)
cmake -S . -B build-release -G Ninja -DCMAKE_BUILD_TYPE=Release -DTARNEL_BUILD_TESTS=OFF -DTARNEL_BUILD_BENCH=OFF
cmake --build build-release -j "$jobs" --target tarnel
exec ./build-release/src/tarnel "$@"
