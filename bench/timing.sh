#!/usr/bin/env bash
# End-to-end timing of the legacy run (polylsq) and of the accurate fit (polylsq fit, its
# report on standard output) against the process floor (bench/floor.cpp: fscanf the data
# file, write seven lines), the conversion floor (bench/parse_floor.cpp: one read of the
# file, a bare fast_float loop on one core) and numpy (loadtxt + polyfit + seven lines, its
# interpreter's start-up included), on generated data files of 300, 10^4, 10^5, 10^6 and
# 10^7 observations at degree 5. Each program runs in the folder of the data file with
# standard input from /dev/null; the time is the median of several hyperfine runs. Also
# reports the peak resident memory per observation at 10^6 and 10^7 (mapped pages included).
#
# Usage: bash bench/timing.sh [build folder, default build-timing]
# Installs hyperfine, python3-numpy and time with apt-get when they are missing.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
build=${1:-build-timing}
py=/usr/bin/python3  # Debian's interpreter, the one that python3-numpy serves

missing=()
command -v hyperfine >/dev/null || missing+=(hyperfine)
[ -x /usr/bin/time ] || missing+=(time)
"$py" -c 'import numpy' 2>/dev/null || missing+=(python3-numpy)
if [ ${#missing[@]} -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update </dev/null >/dev/null
  apt-get install -y --no-install-recommends "${missing[@]}" </dev/null >/dev/null
fi

cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPOLYLSQ_TESTS=OFF >/dev/null
cmake --build "$build" -j2 --target polylsq polylsq_floor polylsq_parse_floor >/dev/null
polylsq=$root/$build/polylsq
floor=$root/$build/bench/polylsq_floor
parse_floor=$root/$build/bench/polylsq_parse_floor

work=$root/$build/timing
mkdir -p "$work"
sizes=(300 10000 100000 1000000 10000000)
declare -A runs=([300]=40 [10000]=20 [100000]=10 [1000000]=10 [10000000]=5)

# Median wall times in seconds of the programs. The runs are taken in five rounds of
# one hyperfine call each (the four programs one after the other), so that a burst of load
# from elsewhere falls on all of them alike; the median is over all runs of a program.
# hyperfine gives the programs standard input from /dev/null.
medians() {  # runs, commands...
  local runs=$1 rounds=5 round jsons=()
  shift
  for ((round = 0; round < rounds; ++round)); do
    jsons+=("$(mktemp)")
    hyperfine -N --style none --warmup 1 --runs $(((runs + rounds - 1) / rounds)) \
      --export-json "${jsons[-1]}" "$@" >/dev/null 2>&1 </dev/null
  done
  "$py" - "${jsons[@]}" <<'PYEOF'
import json, statistics, sys
rounds = [json.load(open(name))["results"] for name in sys.argv[1:]]
print(*(statistics.median(t for r in rounds for t in r[k]["times"]) for k in range(len(rounds[0]))))
PYEOF
  rm -f "${jsons[@]}"
}

t_prog=() t_floor=() t_numpy=() t_fit=() t_parse=()
for n in "${sizes[@]}"; do
  dir=$work/n$n
  mkdir -p "$dir"
  [ -f "$dir/B2F.txt" ] || "$py" "$root/bench/make_data.py" "$n" "$dir/B2F.txt"
  cd "$dir"
  read -r a b c d e < <(medians "${runs[$n]}" "$polylsq" "$floor" "$py $root/bench/numpy_fit.py" \
    "$polylsq fit B2F.txt" "$parse_floor")
  t_prog+=("$a") t_floor+=("$b") t_numpy+=("$c") t_fit+=("$d") t_parse+=("$e")
  cd "$root"
done

# Peak resident set size, in KiB, at 10^6 and 10^7 observations.
peak_kb() {  # folder, command...
  local dir=$1; shift
  (cd "$dir" && /usr/bin/time -v "$@" </dev/null 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}')
}
big=1000000 huge=10000000
rss_prog=$(peak_kb "$work/n$big" "$polylsq")
rss_floor=$(peak_kb "$work/n$big" "$floor")
rss_numpy=$(peak_kb "$work/n$big" "$py" "$root/bench/numpy_fit.py")
rss_fit=$(peak_kb "$work/n$big" "$polylsq" fit B2F.txt)
rss_fit_huge=$(peak_kb "$work/n$huge" "$polylsq" fit B2F.txt)

"$py" - "$big" "$rss_prog" "$rss_floor" "$rss_numpy" "$rss_fit" "$rss_fit_huge" "${sizes[*]}" \
  "${t_prog[*]}" "${t_floor[*]}" "${t_numpy[*]}" "${t_fit[*]}" "${t_parse[*]}" <<'PYEOF'
import sys
big, rss_prog, rss_floor, rss_numpy, rss_fit, rss_fit_huge = int(sys.argv[1]), *map(int, sys.argv[2:7])
huge = 10 * big
sizes = [int(s) for s in sys.argv[7].split()]
prog, floor, numpy, fit, parse = (dict(zip(sizes, map(float, a.split()))) for a in sys.argv[8:13])
print("| N | polylsq (ms) | polylsq fit (ms) | floor (ms) | conversion floor (ms) | numpy (ms) "
      "| polylsq / floor | numpy / polylsq | numpy / fit | fit / conversion floor |")
print("|---:|---:|---:|---:|---:|---:|---:|---:|---:|---:|")
for n in sizes:
    p, a, f, c, q = prog[n] * 1e3, fit[n] * 1e3, floor[n] * 1e3, parse[n] * 1e3, numpy[n] * 1e3
    print(f"| {n} | {p:.2f} | {a:.2f} | {f:.2f} | {c:.2f} | {q:.1f} | {p / f:.2f} | {q / p:.2f} "
          f"| {q / a:.2f} | {a / c:.2f} |")
print()
per_obs = lambda kb, n: kb * 1024 / n
print(f"Peak resident memory at N = {big} (bytes per observation): "
      f"polylsq {per_obs(rss_prog, big):.1f}, polylsq fit {per_obs(rss_fit, big):.1f}, "
      f"floor {per_obs(rss_floor, big):.1f}, numpy {per_obs(rss_numpy, big):.1f}; "
      f"polylsq fit at N = {huge}: {per_obs(rss_fit_huge, huge):.1f}")
print()
ok = lambda c: "met" if c else "NOT met"
print(f"300 observations within 1.5x of the floor: {prog[300] / floor[300]:.2f}x, "
      f"{ok(prog[300] / floor[300] <= 1.5)}")
print(f"10^6 observations at least 3x faster than numpy: {numpy[big] / prog[big]:.2f}x, "
      f"{ok(numpy[big] / prog[big] >= 3)}")
print(f"Peak memory at most 64 bytes per observation: {per_obs(rss_prog, big):.1f}, "
      f"{ok(per_obs(rss_prog, big) <= 64)}")
for n in (big, huge):
    print(f"polylsq fit on {n} observations at least 10x faster than numpy: "
          f"{numpy[n] / fit[n]:.2f}x, {ok(numpy[n] / fit[n] >= 10)}; within 1.5x of the "
          f"conversion floor: {fit[n] / parse[n]:.2f}x, {ok(fit[n] / parse[n] <= 1.5)}")
for n, rss in ((big, rss_fit), (huge, rss_fit_huge)):
    print(f"polylsq fit peak memory at {n} at most 40 bytes per observation: "
          f"{per_obs(rss, n):.1f}, {ok(per_obs(rss, n) <= 40)}")
per_obs_ns = [prog[n] * 1e9 / n for n in sizes if n >= 10000]
print("Legacy time per observation at 10^4 to 10^7 (ns): " + ", ".join(f"{t:.0f}" for t in per_obs_ns))
with open("/proc/loadavg") as f:
    print("Load average while measuring: " + " ".join(f.read().split()[:3]))
PYEOF
