#!/usr/bin/env bash
# Prints the N-th fenced block of language LANG (```LANG ... ```) of a Markdown file, so
# that scripts build and run the examples of the documents exactly as they are shown.
#
# Usage: bash scripts/doc-block.sh FILE LANG [N]   (N from 1, default 1)
set -euo pipefail
file=$1 lang=$2 wanted=${3:-1}
awk -v lang="$lang" -v wanted="$wanted" '
  inside && /^```$/ { inside = 0; if (count == wanted) exit; next }
  inside { if (count == wanted) print; next }
  $0 == "```" lang { inside = 1; ++count }
' "$file" | {
  text=$(cat)
  [ -n "$text" ] || { echo "$file has no block $wanted of $lang" >&2; exit 1; }
  printf '%s\n' "$text"
}
