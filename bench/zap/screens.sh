#!/usr/bin/env bash
# Screenshots of the player pages under Xvfb: each kind of channel playing and channels that cannot
# play. Usage: bench/zap/screens.sh [OUTPUT_FOLDER] (default /work/screens)
set -euo pipefail
cd "$(dirname "$0")/../.."
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target player_screens -j 2 >/dev/null
out=$(realpath -m "${1:-/work/screens}")
QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1024x768x24" tests/run-isolated.sh build-bench/bin/player_screens "$out" 2>/dev/null
