#!/usr/bin/env bash
# Installs the build folder into a temporary prefix and runs the examples of docs/python.md
# against the installed package, from inside that prefix (so that nothing of the source
# or build tree is importable).
# Usage: bash tests/python/installed_module.sh CMAKE BUILD_DIR PYTHON SITE_DIR
#   SITE_DIR: the package folder below the prefix (POLYLSQ_PYTHON_INSTALL_DIR, relative)
set -euo pipefail
source_dir=$(cd "$(dirname "$0")/../.." && pwd)
cmake=$1 build_dir=$2 python=$3 site_dir=$4
prefix=$(mktemp -d)
trap 'rm -rf "$prefix"' EXIT
"$cmake" --install "$build_dir" --prefix "$prefix" >/dev/null
cd "$prefix"
PYTHONPATH="$prefix/$site_dir" "$python" -c "import polylsq, sys; assert polylsq.__file__.startswith(sys.argv[1]), polylsq.__file__" "$prefix"
PYTHONPATH="$prefix/$site_dir" "$python" "$source_dir/tests/python/doc_examples.py" "$source_dir/docs/python.md"
