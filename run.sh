#!/usr/bin/env bash
# Builds Zentavo Player and starts it. Installs missing Debian packages first (as root).
set -euo pipefail
cd "$(dirname "$0")"
./scripts/setup-deps.sh
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build --target zentavo-player zentavo-catalog zentavo_data
if [[ $(id -u) -eq 0 ]]; then
  # Chromium refuses to start its sandbox as root; only then is it turned off, for this run.
  echo "run.sh: running as root, so QTWEBENGINE_DISABLE_SANDBOX=1 is set for the player"
  export QTWEBENGINE_DISABLE_SANDBOX=1
fi
exec ./build/bin/zentavo-player "$@"
