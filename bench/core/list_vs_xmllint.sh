#!/usr/bin/env bash
# Times "zentavo-catalog list" against "xmllint --noout" on the same catalogue of N channels
# (default 100000) and prints both figures and their ratio; best of R runs (default 5).
# usage: bench/core/list_vs_xmllint.sh [BUILD_DIR] [N] [R]
set -euo pipefail
build=${1:-build}
count=${2:-100000}
runs=${3:-5}
tool="$build/bin/zentavo-catalog"
generator="$build/bin/zentavo-bench-catalogue"
for program in "$tool" "$generator"; do
  [[ -x "$program" ]] || { echo "missing $program: build the targets zentavo-catalog and zentavo-bench-catalogue" >&2; exit 2; }
done
command -v xmllint >/dev/null || { echo "xmllint is missing (Debian package libxml2-utils)" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
catalogue="$work/catalogue.xml"
"$generator" "$count" "$catalogue"

# Best wall time in milliseconds of a command over $runs runs, output discarded.
best_ms() {
  local best="" start end ms
  for ((i = 0; i < runs; i++)); do
    start=$(date +%s%N)
    "$@" >/dev/null
    end=$(date +%s%N)
    ms=$(( (end - start) / 1000000 ))
    if [[ -z "$best" || $ms -lt $best ]]; then best=$ms; fi
  done
  echo "$best"
}

lines=$("$tool" list "$catalogue" | wc -l)
[[ "$lines" -eq "$count" ]] || { echo "list printed $lines lines for $count channels" >&2; exit 1; }
list_ms=$(best_ms "$tool" list "$catalogue")
xmllint_ms=$(best_ms xmllint --noout "$catalogue")
size=$(stat -c %s "$catalogue")
echo "catalogue: $count channels, $size bytes; best of $runs runs"
echo "xmllint --noout:      ${xmllint_ms} ms"
echo "zentavo-catalog list: ${list_ms} ms"
awk -v a="$list_ms" -v b="$xmllint_ms" 'BEGIN { printf "ratio list / xmllint: %.2f\n", (b > 0 ? a / b : 0) }'
