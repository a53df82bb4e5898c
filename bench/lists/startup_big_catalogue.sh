#!/usr/bin/env bash
# Times the player's start-up (main window shown, lists filled, start page loaded, then closed)
# with catalogues of 1,000 / 10,000 / 100,000 channels and 1,000 favourites.
# Usage: bench/lists/startup_big_catalogue.sh [BUILD_DIR]   (default: build)
set -euo pipefail
build=$(cd "${1:-build}" && pwd)
player="$build/bin/zentavo-player"
[[ -x "$player" && -x "$build/bin/zentavo-bench-catalogue" ]] || { echo "build zentavo-player and zentavo-bench-catalogue first" >&2; exit 2; }
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen}
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
export HOME="$work/home" XDG_CONFIG_HOME="$work/config" XDG_RUNTIME_DIR="$work/runtime" TMPDIR="$work/tmp"
mkdir -p "$HOME" "$XDG_CONFIG_HOME" "$XDG_RUNTIME_DIR" "$TMPDIR"
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
