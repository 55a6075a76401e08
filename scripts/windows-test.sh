#!/usr/bin/env bash
# Cross-builds polylsq.exe with MinGW-w64 and runs it under Wine: every golden case of the
# legacy run (tests/app/golden), compared with its golden files; the run-time report, trap,
# command-line, `fit` and `check` cases and 20000 generated fits, each compared with the
# same run of the Linux build (standard output, standard error, exit status and every file
# left in the working folder, byte for byte); the library polylsq.dll (what it exports and
# imports) with the C program of docs/library.md linked against it; then the fidelity and
# platform suites built for Windows. Ends with "N passed, M failed" and exits non-zero on any
# failure.
#
# Usage: bash scripts/windows-test.sh [LINUX_BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
linux_dir=$root/${1:-build}
windows_dir=$root/build-windows
start=$SECONDS

bash scripts/deps.sh test
bash scripts/deps.sh windows
echo "install: $((SECONDS - start)) s"

# The Linux build that the Windows one is compared with, and the cross-build.
windows_tests=(platform_platform_test fidelity_real_conversion_test fidelity_recorded_fits_test
  fidelity_sort_moves_test fidelity_name_stack_test)
[ -f "$linux_dir/CMakeCache.txt" ] || cmake -S . -B "$linux_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
probes=(trap_probe stored_bits_probe)
cmake --build "$linux_dir" --target polylsq "${probes[@]}" -j2 >/dev/null
[ -f "$windows_dir/CMakeCache.txt" ] || cmake -S . -B "$windows_dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake >/dev/null
cmake --build "$windows_dir" --target polylsq polylsq_shared "${probes[@]}" "${windows_tests[@]}" -j2 >/dev/null
built=$SECONDS
echo "build: $((built - start)) s"

# Wine's own prefix in the build folder, created before the first case so that standard
# error holds only the program's bytes; one server for all runs. Command lines and file
# names pass between Linux and Windows as UTF-8.
export LC_ALL=C.UTF-8
export WINEPREFIX=$windows_dir/wine-prefix WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
[ -d "$WINEPREFIX" ] || { wineboot -i >/dev/null 2>&1 && wineserver -w; }
wineserver -p 2>/dev/null || true  # already running: that one serves
work=$(mktemp -d)
trap 'wineserver -k || true; rm -rf "$work"' EXIT
passed=0
failed=0

pass() { passed=$((passed + 1)); echo "PASS $1"; }
fail() { failed=$((failed + 1)); echo "FAIL $1: $2"; }

# run FOLDER STDIN PROGRAM ARGS...: runs PROGRAM in FOLDER, its output in FOLDER.out,
# FOLDER.err and FOLDER.status.
run() {
  local folder=$1 input=$2 status=0
  shift 2
  (cd "$folder" && timeout 120 "$@" <"$input" >"$folder.out" 2>"$folder.err") || status=$?
  echo "$status" >"$folder.status"
}
# The executable of a target in a build folder (polylsq, trap_probe, a test).
executable() {  # folder target
  find "$1" -name "$2" -type f -perm -u+x -not -path '*/CMakeFiles/*' | head -1
}

# What differs between two runs' outputs and folders; nothing when they are the same.
differences() {  # first second
  local what
  for what in status out err; do
    cmp -s "$1.$what" "$2.$what" || echo -n "$what "
  done
  diff -r --no-dereference "$1" "$2" >/dev/null 2>&1 || echo -n "files "
}

# same NAME FIXTURE STDIN PROGRAM ARGS...: PROGRAM (polylsq or a probe) run by both
# builds in copies of the folder FIXTURE, with the same standard input.
same() {
  local name=$1 fixture=$2 input=$3 program=$4
  shift 4
  local linux=$work/$name.linux windows=$work/$name.windows
  mkdir -p "$linux" "$windows"
  cp -a "$fixture/." "$linux/"
  cp -a "$fixture/." "$windows/"
  run "$linux" "$input" "$(executable "$linux_dir" "$program")" "$@"
  run "$windows" "$input" wine "$(executable "$windows_dir" "$program.exe")" "$@"
  local differ
  differ=$(differences "$linux" "$windows")
  if [ -z "$differ" ]; then pass "$name"; else fail "$name" "differs from the Linux build in: $differ"; fi
}

# golden CASE: the legacy run on a case of tests/app/golden, against its golden files.
golden() {
  local case=$root/tests/app/golden/$1 folder=$work/golden-$1 input=/dev/null differ=""
  mkdir -p "$folder"
  [ -f "$case/B2F.txt" ] && cp "$case/B2F.txt" "$folder/B2F.txt"
  [ -f "$case/F2B.old" ] && cp "$case/F2B.old" "$folder/F2B.txt"
  [ -f "$case/stdin" ] && input=$case/stdin
  run "$folder" "$input" wine "$(executable "$windows_dir" polylsq.exe)"
  for what in status out:stdout err:stderr; do
    cmp -s "$folder.${what%%:*}" "$case/${what##*:}" || differ+="${what##*:} "
  done
  if [ -f "$case/F2B.txt" ]; then
    cmp -s "$folder/F2B.txt" "$case/F2B.txt" || differ+="F2B.txt "
  elif [ -e "$folder/F2B.txt" ]; then
    differ+="F2B.txt(created) "
  fi
  if [ -f "$case/B2F.txt" ]; then  # only read; a missing one is left behind empty
    cmp -s "$folder/B2F.txt" "$case/B2F.txt" || differ+="B2F.txt "
  elif [ ! -f "$folder/B2F.txt" ] || [ -s "$folder/B2F.txt" ]; then
    differ+="B2F.txt(not empty) "
  fi
  if [ -z "$differ" ]; then pass "golden/$1"; else fail "golden/$1" "differs from the golden files in: $differ"; fi
}

# A folder per data set.
fixture() {  # name file contents...
  local folder=$work/fixtures/$1
  mkdir -p "$folder"
  shift
  while [ $# -ge 2 ]; do
    printf '%b' "$2" >"$folder/$1"
    shift 2
  done
  echo "$folder"
}

example=$(fixture example)
cp example/B2F.txt "$example/B2F.txt"
named=$(fixture named)
cp example/B2F.txt "$named/data.txt"
empty=$(fixture empty)
non_ascii=$(fixture non-ascii "donn\xc3\xa9es-\xc3\xbc.txt" "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n")
result_folder=$(fixture result-folder data.txt "2\n3\n1 1\n2 4\n3 9\n")
mkdir -p "$result_folder/folder"
quintic_data="5\n21\n"
for x in $(seq 0 20); do quintic_data+="$x $((1 + x + x * x + x ** 3 + x ** 4 + x ** 5))\n"; done
quintic=$(fixture quintic quintic.txt "$quintic_data")
columns=$(fixture columns "mesures;1.csv" "x;y\n0,5;1,25\n1,5;3,25\n2,5;7,25\n3,5;13,25\n4,5;21,5\n")
enter=$work/enter
printf '\r\n' >"$enter"

# Data of the exit-status cases: each outcome of the legacy run, the power-series hold
# (statistics beyond the float range that nothing shows) and the overflow trap.
status_case() {  # name data
  same "status/$1" "$(fixture "status-$1" B2F.txt "$2")" "$enter" polylsq
}

started=$SECONDS
for case in "$root"/tests/app/golden/*/; do golden "$(basename "$case")"; done

status_case results-written "2\n6\n1 2.1\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n"
status_case warning-still-writes-results "3\n4\n1 1\n2 2\n3 3\n4 4\n"
status_case read-report "2\n6\n1 2.1\n2 3.O512\n"
status_case end-of-file "2\n6\n1 2.1\n"
status_case degree-above-five "7\n6\n1 2.1\n"
status_case single-observation "1\n1\n1 2\n"
status_case no-observations "1\n0\n"
status_case unshown-statistics-beyond-the-float-range "5\n16\n1000.0 1.000655e+14\n1000.5 1.000305e+14\n\
1001.0 1.000675e+14\n1001.5 1.000107e+14\n1002.0 1.000517e+14\n1002.5 1.000490e+14\n1003.0 1.000602e+14\n\
1003.5 1.000370e+14\n1004.0 1.000257e+14\n1004.5 1.000374e+14\n1005.0 1.000826e+14\n1005.5 1.000173e+14\n\
1006.0 1.000298e+14\n1006.5 1.000644e+14\n1007.0 1.000790e+14\n1007.5 1.000988e+14\n"
status_case overflow-trap "2\n6\n1 3.4028235e38\n2 3.9\n3 8.2\n4 15.8\n5 26.1\n6 37.0\n"

for trap in invalid divide overflow float-overflow nan-compare held-overflow log-zero; do
  same "trap/$trap" "$empty" /dev/null trap_probe "$trap"
done

same command-line/help "$empty" /dev/null polylsq --help
same command-line/short-help "$empty" /dev/null polylsq -h
same command-line/version "$empty" /dev/null polylsq --version
same command-line/bad-option "$empty" /dev/null polylsq --bogus
same command-line/third-file-name "$example" /dev/null polylsq B2F.txt out.txt more.txt
same command-line/named-data-missing "$empty" /dev/null polylsq fti
same command-line/named-files "$named" "$enter" polylsq data.txt out.txt
same command-line/named-data-only "$named" "$enter" polylsq data.txt
same command-line/result-is-a-folder "$result_folder" "$enter" polylsq data.txt folder
same command-line/data-is-a-folder "$result_folder" "$enter" polylsq folder
same command-line/no-pause "$example" /dev/null polylsq --no-pause
same command-line/non-ascii-names "$non_ascii" "$enter" polylsq "données-ü.txt" "résultat-ü.txt"
same command-line/non-ascii-missing "$empty" /dev/null polylsq "absent-é.txt"
same command-line/fit-help "$empty" /dev/null polylsq fit --help
same command-line/check-help "$empty" /dev/null polylsq check --help

same fit/data-file "$example" /dev/null polylsq fit
same fit/json "$example" /dev/null polylsq fit --json
same fit/plot "$example" /dev/null polylsq fit --plot "courbe-é.svg"
same fit/standard-input "$empty" "$example/B2F.txt" polylsq fit -
same fit/columns "$columns" /dev/null polylsq fit --degree 2 "mesures;1.csv"
same fit/columns-need-a-degree "$columns" /dev/null polylsq fit "mesures;1.csv"
same fit/non-ascii-name "$non_ascii" /dev/null polylsq fit "données-ü.txt"
same check/agrees "$example" /dev/null polylsq check
same check/json "$example" /dev/null polylsq check --json
same check/disagrees "$quintic" /dev/null polylsq check quintic.txt
same check/plot "$quintic" /dev/null polylsq check --plot "deux-é.svg" quintic.txt
same check/non-ascii-name "$non_ascii" /dev/null polylsq check "données-ü.txt"

# Outputs refused before anything is read (status 2, nothing shown, the folder as it was),
# or replaced because polylsq wrote them or --force says so; standard output that cannot
# be written (status 1, one line on standard error).
foreign=$(fixture foreign notes.svg "notes of another program\n" sheet.csv "a;b\n1;2\n")
cp example/B2F.txt "$foreign/B2F.txt"
same refuse/plot-onto-the-data-file "$example" /dev/null polylsq check --plot B2F.txt
same refuse/residuals-onto-the-data-file-with-force "$example" /dev/null polylsq fit --force --residuals B2F.txt
same refuse/two-outputs-one-file "$example" /dev/null polylsq fit --plot out.svg --residuals out.svg
same refuse/file-of-another-program "$foreign" /dev/null polylsq fit --plot notes.svg
same refuse/spreadsheet-as-picture "$foreign" /dev/null polylsq fit --plot sheet.csv
same refuse/picture-not-named-svg "$example" /dev/null polylsq fit --plot fit.png
same refuse/empty-file-name "$example" /dev/null polylsq fit --plot ""
same refuse/level-that-nothing-uses "$example" /dev/null polylsq fit --level 0.9
same refuse/legacy-data-and-result-one-file "$example" "$enter" polylsq B2F.txt ./B2F.txt
same replace/force "$foreign" /dev/null polylsq fit --force --plot notes.svg
same check/standard-input "$empty" "$example/B2F.txt" polylsq check -

# closed NAME FIXTURE ARGS...: polylsq run by both builds with standard output closed; the
# status (1) and standard error must be the same.
closed() {
  local name=$1 fixture=$2 linux=$work/$1.linux windows=$work/$1.windows status
  shift 2
  mkdir -p "$linux" "$windows"
  cp -a "$fixture/." "$linux/"
  cp -a "$fixture/." "$windows/"
  status=0
  (cd "$linux" && timeout 120 "$(executable "$linux_dir" polylsq)" "$@" </dev/null >&- 2>"$linux.err") || status=$?
  echo "$status" >"$linux.status"
  status=0
  (cd "$windows" && timeout 120 wine "$(executable "$windows_dir" polylsq.exe)" "$@" </dev/null >&- 2>"$windows.err") ||
    status=$?
  echo "$status" >"$windows.status"
  if cmp -s "$linux.err" "$windows.err" && cmp -s "$linux.status" "$windows.status" && [ "$status" = 1 ]; then
    pass "$name"
  else
    fail "$name" "status $(cat "$linux.status") / $status: $(tr -d '\r' <"$windows.err")"
  fi
}
closed closed-output/fit "$example" fit --json
closed closed-output/check "$example" check
closed closed-output/help "$empty" --help
closed closed-output/fit-version "$empty" fit --version

# NUL is a device on Windows: written through, no file of that name made.
nul=$work/nul.windows
mkdir -p "$nul"
cp example/B2F.txt "$nul/B2F.txt"
run "$nul" /dev/null wine "$(executable "$windows_dir" polylsq.exe)" fit --residuals NUL --plot picture.svg
if [ "$(cat "$nul.status")" = 0 ] && [ "$(ls "$nul")" = "$(printf 'B2F.txt\npicture.svg')" ]; then
  pass "device/nul"
else
  fail "device/nul" "status $(cat "$nul.status"), folder: $(ls "$nul" | tr '\n' ' ')"
fi

# Every stored result and console record of 20000 generated fits, bit for bit.
same fidelity/stored-bits-of-generated-fits "$empty" /dev/null stored_bits_probe 1 20000

# The library: polylsq.dll installed with its import library and headers, exporting the C
# interface's functions only and needing only the system's DLLs; the C program of
# docs/library.md compiled against the installed tree in strict C99 and run beside the DLL
# prints what the document shows (fit, prediction, an error).
windows_prefix=$work/windows-prefix
cmake --install "$windows_dir" --prefix "$windows_prefix" >/dev/null
dll=$windows_prefix/bin/polylsq.dll
dll_table=$(x86_64-w64-mingw32-objdump -p "$dll")
exported=$(sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' <<<"$dll_table" |
  grep -E '^\s+\[ *[0-9]+\] ' | awk '{print $NF}')
foreign=$(grep -v '^polylsq_' <<<"$exported" || true)
if [ -n "$exported" ] && [ -z "$foreign" ]; then
  pass "library/dll-exports-the-c-interface-only ($(wc -l <<<"$exported") functions)"
else
  fail "library/dll-exports-the-c-interface-only" "exported: $(tr '\n' ' ' <<<"${foreign:-nothing}")"
fi
imported=$(grep -o 'DLL Name: .*' <<<"$dll_table" | cut -d' ' -f3 | tr '[:upper:]' '[:lower:]')
if ! grep -qv -e '^kernel32\.dll$' -e '^msvcrt\.dll$' -e '^api-ms-win-' <<<"$imported"; then
  pass "library/dll-needs-only-system-dlls"
else
  fail "library/dll-needs-only-system-dlls" "imports $(tr '\n' ' ' <<<"$imported")"
fi
library_program=$work/library-program
mkdir -p "$library_program"
bash scripts/doc-block.sh docs/library.md c >"$library_program/fit.c"
bash scripts/doc-block.sh docs/library.md text 1 >"$library_program/expected"
cp "$dll" "$library_program/"
if x86_64-w64-mingw32-gcc-posix -std=c99 -pedantic -Wall -Wextra -Werror -I"$windows_prefix/include" \
    "$library_program/fit.c" "$windows_prefix/lib/polylsq.dll.a" -o "$library_program/fit_c.exe" \
    2>"$library_program/compile.err"; then
  run "$library_program" /dev/null wine ./fit_c.exe
  if [ "$(cat "$library_program.status")" = 0 ] &&
    diff <(tr -d '\r' <"$library_program.out") "$library_program/expected" >"$library_program.diff"; then
    pass "library/documented-c-program-against-the-dll"
  else
    fail "library/documented-c-program-against-the-dll" \
      "status $(cat "$library_program.status"): $(cat "$library_program.diff" "$library_program.err")"
  fi
else
  fail "library/documented-c-program-against-the-dll" "$(cat "$library_program/compile.err")"
fi

# The suites built for Windows: one case each.
for test in "${windows_tests[@]}"; do
  if (cd "$work" && timeout 600 wine "$(executable "$windows_dir" "$test.exe")" >"$work/$test.log" 2>&1); then
    pass "suite/$test ($(grep -a -o '[0-9]* tests\? from [0-9]* test suites\? ran' "$work/$test.log" | head -1))"
  else
    fail "suite/$test" "$(tail -5 "$work/$test.log" | tr -d '\r')"
  fi
done

echo "cases: $((SECONDS - started)) s; whole script: $((SECONDS - start)) s"
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
