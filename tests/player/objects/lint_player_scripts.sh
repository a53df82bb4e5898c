#!/usr/bin/env bash
# ESLint over the joined player objects' script, with the configuration and the pinned ESLint of
# player/objects/lint.   lint_player_scripts.sh LINT_FOLDER JOINED_SCRIPT
set -euo pipefail
lint=$1
joined=$2
[[ -x "$lint/node_modules/.bin/eslint" ]] || { echo "FAIL: ESLint is not installed in $lint"; exit 1; }
cp "$joined" "$lint/objects.js"
cd "$lint"
./node_modules/.bin/eslint --max-warnings 0 objects.js
echo "the player objects' scripts pass ESLint"
