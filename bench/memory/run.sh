#!/usr/bin/env bash
# Memory benchmark: builds memory_bench in build-bench/ and runs it with fresh HOME and XDG folders,
# in a real X window under Xvfb where xvfb-run is installed (as a desktop shows it), else offscreen.
# Usage: bench/memory/run.sh [switches]   (default 210; readings after 10, every 50, and the last)
set -euo pipefail
cd "$(dirname "$0")/../.."
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target memory_bench -j 2 >/dev/null
run=(tests/run-isolated.sh build-bench/bin/memory_bench "${1:-210}")
if [[ -z ${QT_QPA_PLATFORM:-} ]] && command -v xvfb-run >/dev/null; then
  QT_QPA_PLATFORM=xcb xvfb-run -a -s "-screen 0 1280x1024x24" "${run[@]}" 2>/dev/null
else
  QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} "${run[@]}" 2>/dev/null
fi
