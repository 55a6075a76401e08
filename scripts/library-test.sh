#!/usr/bin/env bash
# Installs a built tree into a temporary prefix and builds the examples of docs/library.md
# against it exactly as they are shown: the C program through pkg-config (-std=c99
# -pedantic -Werror), then both programs through find_package in their CMake project. Each
# must print what the document says it prints. Ends with "N passed, M failed".
#
# Usage: bash scripts/library-test.sh [BUILD_DIR]   (default: build, built already)
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh test
root=$PWD
build=$root/${1:-build}
doc=$root/docs/library.md
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
passed=0
failed=0
pass() { passed=$((passed + 1)); echo "PASS $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1: $2"; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
libdir=$(dirname "$(find "$prefix" -name 'libpolylsq.so' | head -1)")

# The project folder as the document describes it, and what each program prints.
project=$work/project
mkdir -p "$project"
block() { bash "$root/scripts/doc-block.sh" "$doc" "$@"; }
block c >"$project/fit.c"
block cpp >"$project/fit.cpp"
block cmake >"$project/CMakeLists.txt"
block text 1 >"$work/fit_c.expected"
block text 2 >"$work/fit_cpp.expected"

# shown NAME SH_BLOCK OUTPUT EXPECTED: runs the document's shell block in the project
# folder against the prefix; its output must be the expected text.
shown() {
  local name=$1 commands=$2 output=$work/$1.out status=0
  (cd "$project" && export PKG_CONFIG_PATH=$libdir/pkgconfig CMAKE_PREFIX_PATH=$prefix \
     CFLAGS="-Wall -Wextra -Wpedantic -Werror" CXXFLAGS="-Wall -Wextra -Wpedantic -Werror" \
     LD_LIBRARY_PATH=$libdir && bash -euo pipefail -c "$(block sh "$commands")") >"$output" 2>&1 || status=$?
  if [ "$status" -ne 0 ]; then
    fail "$name" "status $status: $(tail -5 "$output")"
  elif ! diff -u "$3" <(tail -n "$(wc -l <"$3")" "$output") >"$work/$name.diff"; then
    fail "$name" "$(cat "$work/$name.diff")"
  else
    pass "$name"
  fi
}
shown c-through-pkg-config 1 "$work/fit_c.expected"
shown cpp-through-find-package 2 "$work/fit_cpp.expected"

# The C program built by the CMake project prints the same as through pkg-config.
if [ -x "$project/build/fit_c" ] && diff -u "$work/fit_c.expected" <(LD_LIBRARY_PATH=$libdir "$project/build/fit_c"); then
  pass c-through-find-package
else
  fail c-through-find-package "missing or different output"
fi

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
