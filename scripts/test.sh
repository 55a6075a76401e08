#!/usr/bin/env bash
# Installs what is missing, builds every target in the folder given (default: build) and
# runs every test. Further arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
dir=${1:-build}
shift || true
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
cmake --build "$dir" -j "$(nproc)"
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
