#!/usr/bin/env bash
# Zap benchmark: builds zap_bench in build-bench/ (or $ZAP_BUILD_DIR) and runs it offscreen beside mpv,
# with VLC and nginx's rtmp module as live servers (installed here, for the benchmark only: nginx's
# package would start a web server, so it stays out of deps/). Usage: bench/zap/run.sh [runs] [--shaped DELAY_MS RATE_KBIT]
# (--shaped: HLS, MPEG-TS and MP4 through shaping_proxy.py on 127.0.0.1; see README.md)
set -euo pipefail
cd "$(dirname "$0")/../.."
missing=()
for pkg in python3 mpv nginx libnginx-mod-rtmp vlc-bin vlc-plugin-base; do
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done
if ((${#missing[@]})); then
  echo "zap: installing ${missing[*]} for the comparison"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
build=${ZAP_BUILD_DIR:-build-bench}
[[ -n "${ZAP_BUILD_DIR:-}" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target zap_bench -j 2 >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} tests/run-isolated.sh "$build/bin/zap_bench" "${1:-9}" "${@:2}" 2>/dev/null
