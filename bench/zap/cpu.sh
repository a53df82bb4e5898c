#!/usr/bin/env bash
# Processor time per minute of playing, the player against mpv, in windows of 1280x720 under Xvfb.
# Builds cpu_bench in build-bench/ (or $ZAP_BUILD_DIR); installs mpv for the comparison.
# Usage: bench/zap/cpu.sh [seconds [rounds [cases]]]  (see cpu_bench.cpp)
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! command -v mpv >/dev/null; then
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends mpv >/dev/null
fi
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
build=${ZAP_BUILD_DIR:-build-bench}
[[ -n "${ZAP_BUILD_DIR:-}" ]] || cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build "$build" --target cpu_bench -j 2 >/dev/null
unset QT_QPA_PLATFORM
xvfb-run -a -s "-screen 0 1600x1000x24" tests/run-isolated.sh "$build/bin/cpu_bench" "${1:-30}" "${@:2}" 2>/dev/null
