#!/usr/bin/env bash
# Runs tests of the page scripts' pure rules with Node's own test runner.   run_node_tests.sh TEST...
set -euo pipefail
command -v node >/dev/null || { echo "FAIL: node is not installed"; exit 1; }
exec node --test "$@"
