#!/usr/bin/env bash
# Installs the Debian packages listed in scripts/packages.txt.
# Usage: install-deps.sh build|test   ("test" installs both groups)
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
group=${1:-build}

wanted=()
while read -r kind name; do
    case "$kind" in ''|'#'*) continue ;; esac
    if [ "$kind" = build ] || [ "$group" = test ]; then wanted+=("$name"); fi
done < "$here/packages.txt"

missing=()
for p in "${wanted[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0

as_root=()
[ "$(id -u)" -eq 0 ] || as_root=(sudo)
"${as_root[@]}" apt-get update -qq
DEBIAN_FRONTEND=noninteractive "${as_root[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
