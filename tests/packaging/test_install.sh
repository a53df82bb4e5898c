#!/usr/bin/env bash
# cmake --install into a temporary prefix gives a working player: the executables with data/
# beside them, links in bin/, the desktop entry, metainfo and icons in their XDG places; the
# installed catalogue tool reads the installed catalogue and the installed player starts.
#   test_install.sh BUILD_DIR
set -uo pipefail
build=$1
prefix=$(mktemp -d "${TMPDIR:-/tmp}/zentavo-install.XXXXXX")
trap 'rm -rf "$prefix"' EXIT
failures=0
fail() { echo "FAIL: $*"; failures=$((failures + 1)); }
pass() { echo "PASS: $*"; }
check() { local what=$1; shift; if "$@"; then pass "$what"; else fail "$what"; fi; }

if ! cmake --install "$build" --prefix "$prefix" > "$prefix.log" 2>&1; then
  cat "$prefix.log"; rm -f "$prefix.log"
  echo "FAIL: cmake --install"; exit 1
fi
rm -f "$prefix.log"

app=$prefix/lib/zentavo-player
check "player executable" test -x "$app/zentavo-player"
check "catalogue tool executable" test -x "$app/zentavo-catalog"
for file in tv-all.xml start.zvo SOURCES.md licenses/tdtchannels.txt; do
  check "data/$file beside the executables" test -s "$app/data/$file"
done
check "no favourites file shipped" test ! -e "$app/data/tv-list-fav.xml"
for program in zentavo-player zentavo-catalog; do
  check "bin/$program leads to the installed program" \
    test "$(readlink -f "$prefix/bin/$program")" = "$(readlink -f "$app/$program")"
done
check "desktop entry" test -s "$prefix/share/applications/org.zentavo.Player.desktop"
check "desktop entry starts the linked program" grep -qx 'Exec=zentavo-player' "$prefix/share/applications/org.zentavo.Player.desktop"
check "metainfo" test -s "$prefix/share/metainfo/org.zentavo.Player.metainfo.xml"
check "scalable icon" test -s "$prefix/share/icons/hicolor/scalable/apps/org.zentavo.Player.svg"
for size in 16 22 24 32 48 64 128 256; do
  png=$prefix/share/icons/hicolor/${size}x${size}/apps/org.zentavo.Player.png
  # PNG signature, then the IHDR width and height as 32-bit big-endian numbers.
  header=$(od -An -tx1 -N24 "$png" 2>/dev/null | tr -d ' \n')
  expected=$(printf '%08x%08x' "$size" "$size")
  check "icon ${size}x${size}" test "${header:0:16}" = 89504e470d0a1a0a -a "${header:32:16}" = "$expected"
done
# The validators come with deps/debian-packages.txt: a missing one is a failure, never a skip.
check "desktop-file-validate is installed" command -v desktop-file-validate
check "desktop entry validates" desktop-file-validate "$prefix/share/applications/org.zentavo.Player.desktop"
check "appstreamcli is installed" command -v appstreamcli
check "metainfo validates" appstreamcli validate --no-net "$prefix/share/metainfo/org.zentavo.Player.metainfo.xml"

channels=$("$prefix/bin/zentavo-catalog" list "$app/data/tv-all.xml" | wc -l)
items=$(grep -c '<item>' "$app/data/tv-all.xml")
check "installed tool lists the installed catalogue ($channels channels)" test "$channels" -gt 0 -a "$channels" = "$items"

# The installed player, started through its link in bin/, finds data/ beside its real file and
# shows the start page; ZENTAVO_REPORT_STARTUP=exit makes it report that and close.
if [[ $(id -u) -eq 0 ]]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
output=$(cd / && ZENTAVO_REPORT_STARTUP=exit timeout 120 "$prefix/bin/zentavo-player" 2>&1)
status=$?
check "installed player starts and shows its start page (exit status $status)" \
  test "$status" -eq 0 -a -n "$(grep -x 'zentavo: start page loaded' <<< "$output")"
# Filling the favourites list creates the favourites file beside the catalogue it read.
check "installed player worked in its own data folder" test -s "$app/data/tv-list-fav.xml"
[[ $failures -eq 0 ]] || { echo "$output" | tail -20; echo "$failures check(s) failed"; exit 1; }
echo "all install checks passed"
