#!/usr/bin/env bash
# Installs what the program needs, builds it and starts it.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/release"

bash "$root/scripts/install-deps.sh" build
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DORV_BUILD_TESTS=OFF
cmake --build "$build" -j"$(nproc)" --target orvfind
exec "$build/bin/orvfind" "$@"
