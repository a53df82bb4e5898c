#!/usr/bin/env bash
# Installs the Debian packages of deps/debian-packages.txt that are missing.
# Does nothing when everything is present; needs root (or sudo) otherwise.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
missing=()
while read -r pkg; do
  [[ -z "$pkg" || "$pkg" == \#* ]] && continue
  # A Node.js installed outside Debian (nodesource, nvm) serves as well.
  [[ ( "$pkg" == nodejs || "$pkg" == npm ) ]] && command -v "${pkg/nodejs/node}" >/dev/null && continue
  dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed' || missing+=("$pkg")
done < "$here/deps/debian-packages.txt"
if ((${#missing[@]})); then
  echo "setup: installing missing Debian packages: ${missing[*]}"
  sudo_cmd=()
  [[ $(id -u) -ne 0 ]] && sudo_cmd=(sudo)
  "${sudo_cmd[@]}" apt-get update -qq
  DEBIAN_FRONTEND=noninteractive "${sudo_cmd[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
