#!/usr/bin/env bash
# Runs one test program with a fresh HOME, XDG folders and TMPDIR, removed afterwards.
set -u
root=$(mktemp -d "${TMPDIR:-/tmp}/zentavo-test.XXXXXX")
trap 'rm -rf "$root"' EXIT
mkdir -p "$root/home" "$root/config" "$root/runtime" "$root/tmp" "$root/data" "$root/cache"
chmod 700 "$root/runtime"
export HOME="$root/home" XDG_CONFIG_HOME="$root/config" XDG_RUNTIME_DIR="$root/runtime" \
       XDG_DATA_HOME="$root/data" XDG_CACHE_HOME="$root/cache" TMPDIR="$root/tmp"
"$@"
