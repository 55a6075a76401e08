#!/usr/bin/env bash
# Builds the fuzz targets with clang's libFuzzer, AddressSanitizer and
# UndefinedBehaviorSanitizer into build-fuzz/ (or the folder given):
#   build-fuzz/list_input_fuzz   list-directed input, file bytes to read statements, each real
#                                also read by the accurate reader
#   build-fuzz/program_fuzz      the whole program, "B2F.txt" bytes to its results
#   build-fuzz/edit_fuzz         F and E editing against an exact-decimal layout
# Needs clang++ (14 or later) and its runtime (Debian: clang, libclang-rt-14-dev).
set -euo pipefail
cd "$(dirname "$0")/../.."
out=${1:-build-fuzz}
cxx=${CXX_FUZZ:-$(command -v clang++-14 || command -v clang++)}
mkdir -p "$out/obj"

# The same numerical flags as the product; the sanitizers make undefined behaviour fatal.
flags=(-std=c++20 -O1 -g -ffp-contract=off -fno-fast-math -fno-omit-frame-pointer
       -fsanitize=address,undefined -fno-sanitize-recover=all -I. -Itests)

# The shared text grammar, the library, the main program's run and the accurate reader,
# instrumented for coverage, and the test helpers the targets share with the test suites
# (temporary folders, whole files).
# Of the platform-dependent files, the POSIX ones.
sources=()
for src in text/*.cpp recio/*.cpp support/*.cpp stats/*.cpp fit/*.cpp app/program.cpp input/*.cpp \
           tests/support_lib/temp_dir.cpp tests/support_lib/files.cpp; do
  [[ $src == *_windows.cpp ]] || sources+=("$src")
done
jobs=${JOBS:-2}
for src in "${sources[@]}"; do
  obj="$out/obj/$(echo "$src" | tr / _).o"
  # Rebuilt when the source or any header of the tree is newer than the object.
  if [ -f "$obj" ] && [ ! "$src" -nt "$obj" ] &&
     [ -z "$(find text recio support stats fit app input tests/support_lib -name '*.h' -newer "$obj" | head -1)" ]; then
    continue
  fi
  while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do wait -n; done
  "$cxx" "${flags[@]}" -fsanitize=fuzzer-no-link -c "$src" -o "$obj" &
done
wait
objects=()
for src in "${sources[@]}"; do objects+=("$out/obj/$(echo "$src" | tr / _).o"); done

for target in list_input program edit; do
  "$cxx" "${flags[@]}" -fsanitize=fuzzer "tests/fuzz/${target}_fuzz.cpp" "${objects[@]}" \
    -o "$out/${target}_fuzz"
done
echo "built $out/list_input_fuzz $out/program_fuzz $out/edit_fuzz"
