#!/usr/bin/env bash
# Times the player's start-up (main window shown, lists filled, start page loaded, then closed)
# with catalogues of 1,000 / 10,000 / 100,000 channels and 1,000 favourites; then with an empty
# profile beside a profile holding an own playlist of 1,000,000 channels (ROUNDS rounds each, min /
# median / max), with the anonymous memory the player holds once the start page is loaded
# (smaps_rollup, read once the lists are read and the figure is steady).
# Usage: bench/lists/startup_big_catalogue.sh [BUILD_DIR] [ROUNDS]   (default: build 3)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
rounds=${2:-3}
player="$build/bin/zentavo-player"
[[ -x "$player" && -x "$build/bin/zentavo-bench-catalogue" ]] || { echo "build zentavo-player and zentavo-bench-catalogue first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
export XDG_DATA_HOME="$work/data-empty"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR" "$XDG_DATA_HOME"
chmod 700 "$XDG_RUNTIME_DIR"

for channels in 1000 10000 100000; do
  app="$work/app-$channels"
  mkdir -p "$app/data"
  cp "$player" "$app/"
  cp "$build/bin/data/start.zvo" "$app/data/"
  "$build/bin/zentavo-bench-catalogue" "$channels" "$app/data/tv-all.xml"
  python3 - "$channels" "$app/data" <<'PY'
import sys
n, folder = int(sys.argv[1]), sys.argv[2]
with open(folder + "/tv-list-fav.xml", "w") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<items>')
    f.write("".join(f'<item id="{(i * 97) % n + 1}" comment=""/>' for i in range(1000)))
    f.write("</items>\n")
PY
  start=$(date +%s.%N)
  ZENTAVO_REPORT_STARTUP=exit timeout 120 "$app/zentavo-player" >/dev/null 2>&1 || { echo "$channels channels: the player did not start and close" >&2; exit 1; }
  end=$(date +%s.%N)
  printf '%7d channels: start-up to start page loaded and closed in %.2f s\n' "$channels" "$(echo "$end - $start" | bc)"
done

# An own playlist of 1,000,000 channels as the import writes it (addresses are not read at start-up,
# so any protected string does), beside the shipped catalogue of 1,000.
own="$work/data-own"
mkdir -p "$own/zentavo-player/playlists"
python3 - "$own/zentavo-player/playlists" <<'PY'
import sys
folder = sys.argv[1]
with open(folder + "/playlist-1.xml", "w") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<items>\n')
    for i in range(1000000):
        f.write(f'<item><id>{1000000000000000 + 7 * i + 1}</id><name>Channel {i}</name><country/><bandwidth/>'
                f'<type2>tv</type2><url>0000000000000024{"0" * 96}</url><imgindex>2</imgindex></item>\n')
    f.write('</items>\n')
with open(folder + "/playlists.xml", "w") as f:
    f.write('<?xml version="1.0" encoding="UTF-8"?>\n<playlists><playlist key="playlist-1" name="big" '
            'source="/nowhere/big.m3u" count="1000000" updated="4102444800"/></playlists>\n')
PY

# Starts the player, reads its anonymous memory once the start page is loaded, lets it close; prints
# "SECONDS MIB".
run_once() {
  local app=$1 log="$work/log"
  local start end pid anon=0
  start=$(date +%s.%N)
  ZENTAVO_REPORT_STARTUP=1 "$app/zentavo-player" >/dev/null 2>"$log" &
  pid=$!
  for _ in $(seq 1 12000); do
    grep -q "start page loaded" "$log" && break
    sleep 0.01
  done
  end=$(date +%s.%N)
  # The lists are read on a thread of their own after the window shows: the memory is read once it
  # has stayed the same for two seconds (at most 60 s).
  local last=-1 same=0
  for _ in $(seq 1 120); do
    anon=$(awk '/^Anonymous:/ {print int($2 / 1024)}' "/proc/$pid/smaps_rollup" 2>/dev/null || echo 0)
    if [[ $anon -eq $last ]]; then same=$((same + 1)); else same=0; fi
    last=$anon
    [[ $same -ge 4 ]] && break
    sleep 0.5
  done
  kill "$pid" 2>/dev/null || true
  wait "$pid" 2>/dev/null || true
  echo "$(echo "$end - $start" | bc) $anon"
}

summary() { sort -n | awk '{a[NR]=$1} END {printf "min %.2f median %.2f max %.2f", a[1], a[int((NR+1)/2)], a[NR]}'; }

app="$work/app-1000"
: >"$work/empty" ; : >"$work/big"
for _ in $(seq 1 "$rounds"); do
  XDG_DATA_HOME="$work/data-empty" run_once "$app" >>"$work/empty"
  XDG_DATA_HOME="$own" run_once "$app" >>"$work/big"
done
printf 'empty profile:                  start-up s: %s; anonymous MiB: %s\n' \
  "$(cut -d' ' -f1 "$work/empty" | summary)" "$(cut -d' ' -f2 "$work/empty" | summary)"
printf 'own playlist of 1,000,000:      start-up s: %s; anonymous MiB: %s\n' \
  "$(cut -d' ' -f1 "$work/big" | summary)" "$(cut -d' ' -f2 "$work/big" | summary)"
paste -d' ' "$work/empty" "$work/big" | awk '{printf "round %d: start-up ratio %.2f, anonymous memory above the empty profile %d MiB\n", NR, $3 / $1, $4 - $2}'
