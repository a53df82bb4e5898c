#!/usr/bin/env bash
# The source files keep the project's layout: C++ as .clang-format lays it out, and every text file
# as .editorconfig says (LF line ends, a final newline, no trailing blanks, no tabs for indenting).
# Data files, fixtures and the CR LF page templates are left out, as .editorconfig leaves them.
# Usage: check-source-style.sh <source folder>
set -euo pipefail
cd "$1"
command -v clang-format >/dev/null || { echo "clang-format is missing (deps/debian-packages.txt)"; exit 1; }
folders=(app bench channels crypto docs files fuzz guide packaging player tests text tools)
mapfile -t cpp < <(find "${folders[@]}" -path tests/fixtures -prune -o -type f \( -name '*.cpp' -o -name '*.h' \) -print | sort)
mapfile -t text < <(find "${folders[@]}" cmake scripts .ci -path tests/fixtures -prune -o -path '*/node_modules' -prune \
  -o -type f \( -name '*.cpp' -o -name '*.h' -o -name '*.js' -o -name '*.mjs' -o -name '*.cmake' -o -name CMakeLists.txt \
  -o -name '*.sh' -o -name '*.py' -o -name '*.ui' -o -name run \) -print | sort)
text+=(CMakeLists.txt run.sh test.sh .editorconfig .clang-format)
status=0
clang-format --dry-run --Werror "${cpp[@]}" || status=1
for file in "${text[@]}"; do
  if grep -q $'\r' "$file"; then echo "$file: CR line ends"; status=1; fi
  if grep -nq '[[:blank:]]$' "$file"; then echo "$file:$(grep -n '[[:blank:]]$' "$file" | head -1 | cut -d: -f1): trailing blanks"; status=1; fi
  if grep -nq $'^\t' "$file"; then echo "$file: indented with tabs"; status=1; fi
  if [[ -s "$file" && $(tail -c1 "$file" | od -An -tx1) != " 0a" ]]; then echo "$file: no final newline"; status=1; fi
done
((status == 0)) && echo "checked ${#cpp[@]} C++ files with clang-format and ${#text[@]} text files"
exit $status
