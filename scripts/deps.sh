#!/usr/bin/env bash
# Installs with apt-get those of the named Debian packages that are not installed yet;
# does nothing when all are there. Used by the build and test scripts so that each of them
# alone sets up a fresh Debian machine.
#
# Usage: bash scripts/deps.sh build|test|windows|PACKAGE...
#   build    what the program needs to build
#   test     that, plus the test and benchmark libraries, the SVG renderer, XML parser
#            and PNG decoder the plot tests use, and what the Python module and its tests need,
#            and pkg-config for the library's C example
#   windows  the MinGW-w64 cross-compiler, GoogleTest's sources and Wine (wine64 runs the
#            programs; wine gives the wine and wineboot commands)
set -euo pipefail

build_packages=(g++ cmake make libcli11-dev nlohmann-json3-dev libboost-dev libfast-float-dev)
test_packages=("${build_packages[@]}" libgtest-dev libbenchmark-dev libeigen3-dev librsvg2-bin
  libxml2-dev libpng-dev python3-dev python3-numpy python3-pytest pybind11-dev python3-pybind11
  pkg-config)

windows_packages=(g++-mingw-w64-x86-64-posix mingw-w64 googletest wine wine64)

case "${1:-}" in
  build) set -- "${build_packages[@]}" ;;
  test) set -- "${test_packages[@]}" ;;
  windows) set -- "${windows_packages[@]}" ;;
esac

missing=()
for package in "$@"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed' ||
    missing+=("$package")
done
[ ${#missing[@]} -eq 0 ] && exit 0

run_as_root=()
[ "$(id -u)" -eq 0 ] || run_as_root=(sudo)
echo "installing: ${missing[*]}" >&2
export DEBIAN_FRONTEND=noninteractive
"${run_as_root[@]}" apt-get update </dev/null >/dev/null
"${run_as_root[@]}" apt-get install -y --no-install-recommends "${missing[@]}" </dev/null >/dev/null
