#!/usr/bin/env bash
# Installs what is missing, builds every target in the folder given (default: build) and
# runs every test. Further arguments go to cmake's configure step.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== installing what is missing" >&2
bash scripts/deps.sh test
dir=${1:-build}
shift || true
echo "== configuring $dir/" >&2
cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
echo "== building every target (several minutes the first time)" >&2
cmake --build "$dir" -j "$(nproc)"
echo "== running every test (about a minute)" >&2
ctest --test-dir "$dir" --output-on-failure -j "$(nproc)"
