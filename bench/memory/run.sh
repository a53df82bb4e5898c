#!/usr/bin/env bash
# Memory benchmark: builds memory_bench in build-bench/ and runs it offscreen with fresh HOME and XDG
# folders. Usage: bench/memory/run.sh [switches]   (default 210; readings after 10, every 50, and the last)
set -euo pipefail
cd "$(dirname "$0")/../.."
[[ $(id -u) -eq 0 ]] && export QTWEBENGINE_DISABLE_SANDBOX=1
cmake -S . -B build-bench -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
cmake --build build-bench --target memory_bench -j 2 >/dev/null
QT_QPA_PLATFORM=${QT_QPA_PLATFORM:-offscreen} tests/run-isolated.sh build-bench/bin/memory_bench "${1:-210}" 2>/dev/null
