#!/usr/bin/env bash
# Zap benchmark: builds zap_bench in build-bench/ and runs it offscreen beside mpv (installed here,
# for the benchmark only). Usage: bench/zap/run.sh [runs]
set -euo pipefail
cd "$(dirname "$0")/../.."
if ! command -v mpv >/dev/null; then
  echo "zap: installing mpv for the comparison"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends mpv >/dev/null
fi
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target zap_bench -j 2 >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} tests/run-isolated.sh build-bench/bin/zap_bench "${1:-9}" 2>/dev/null
