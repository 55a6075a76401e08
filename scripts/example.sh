#!/usr/bin/env bash
# Installs what is missing, builds polylsq in build-example/ and runs it on the shipped
# example (example/B2F.txt), writing the result file to build-example/F2B.txt so that the
# example folder stays as it is. The run does not wait for the Enter key.
set -euo pipefail
cd "$(dirname "$0")/.."
echo "== installing what is missing" >&2
bash scripts/deps.sh build
echo "== configuring build-example/" >&2
cmake -S . -B build-example -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOLYLSQ_TESTS=OFF -DPOLYLSQ_BENCH=OFF >/dev/null
echo "== building polylsq (a few minutes the first time)" >&2
cmake --build build-example -j "$(nproc)" --target polylsq >&2
echo "== running it on example/B2F.txt" >&2
build-example/polylsq --no-pause example/B2F.txt build-example/F2B.txt
echo "--- build-example/F2B.txt:"
cat build-example/F2B.txt
