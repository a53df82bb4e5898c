#!/usr/bin/env bash
# Reads a generated guide of CHANNELS channels over 14 days, about MEGABYTES MB (default 10000
# channels, 1024 MB), and its gzip, as the player reads them (every channel in the lists), beside
# "xmllint --stream --noout" on the same file in the same run, ROUNDS times (default 3); prints
# min / median / max of the times and their ratio, and the reading's peak memory above its idle
# state. Then now and next for screens of 30 rows of a 100,000-channel guide. The files go to a
# folder under /tmp that is removed at the end.
# usage: bench/guide/run.sh [BUILD_DIR] [CHANNELS] [MEGABYTES] [ROUNDS]
set -euo pipefail
build=${1:-build}
channels=${2:-10000}
megabytes=${3:-1024}
rounds=${4:-3}
generate="$build/bin/zentavo-bench-guide-generate"
read_guide="$build/bin/zentavo-bench-guide-read"
now_next="$build/bin/zentavo-bench-guide-now-next"
for program in "$generate" "$read_guide" "$now_next"; do
  [[ -x "$program" ]] || { echo "missing $program: build the zentavo-bench-guide-* targets" >&2; exit 2; }
done
command -v xmllint >/dev/null || { echo "xmllint is missing (Debian package libxml2-utils)" >&2; exit 2; }

work=$(mktemp -d /tmp/zentavo-guide-bench.XXXXXX)
trap 'rm -rf "$work"' EXIT
guide="$work/guide.xml"
"$generate" "$channels" 14 "$megabytes" "$guide"
gzip -6 -k -c "$guide" >"$guide.gz"
echo "guide: $channels channels, 14 days, $(stat -c %s "$guide") bytes; gzip $(stat -c %s "$guide.gz") bytes"

seconds_of() {
  local start end
  start=$(date +%s%N)
  "$@" >/dev/null
  end=$(date +%s%N)
  awk -v ns=$((end - start)) 'BEGIN { printf "%.2f", ns / 1e9 }'
}

# min / median / max of the numbers given
spread() {
  printf '%s\n' "$@" | sort -g | awk '{ v[NR] = $1 } END { printf "min %s, median %s, max %s", v[1], v[int((NR + 1) / 2)], v[NR] }'
}

for file in "$guide" "$guide.gz"; do
  xmllint_times=() read_times=() ratios=() rss=() anon=()
  for ((round = 0; round < rounds; round++)); do
    xmllint_s=$(seconds_of xmllint --stream --noout "$file")
    output=$("$read_guide" "$file" "$channels")
    read_s=$(awk '/^read_seconds/ { print $2 }' <<<"$output")
    xmllint_times+=("$xmllint_s")
    read_times+=("$read_s")
    ratios+=("$(awk -v a="$read_s" -v b="$xmllint_s" 'BEGIN { printf "%.2f", a / b }')")
    rss+=("$(awk '/^peak_rss_above_idle_mb/ { print $2 }' <<<"$output")")
    anon+=("$(awk '/^peak_anon_above_idle_mb/ { print $2 }' <<<"$output")")
  done
  echo "== $(basename "$file"), $rounds rounds"
  echo "xmllint --stream --noout s:  $(spread "${xmllint_times[@]}")"
  echo "player's reading s:          $(spread "${read_times[@]}")"
  echo "ratio reading / xmllint:     $(spread "${ratios[@]}")"
  echo "peak RSS above idle MB:      $(spread "${rss[@]}")"
  echo "peak anonymous above idle MB: $(spread "${anon[@]}")"
  grep -E '^(database_mb|summary)' <<<"$output"
done
rm -f "$guide" "$guide.gz"
echo "== now and next"
"$now_next" 100000 300
