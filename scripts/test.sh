#!/usr/bin/env bash
# Installs what the build and the tests need, builds everything with warnings as errors and runs every test;
# then, unless ORV_SANITIZE=0, builds and runs the tests again under AddressSanitizer and UBSan; then, unless
# ORV_FUZZ=0, fuzzes each of the project's own parsers for a few seconds (scripts/fuzz.sh).
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
jobs=$(nproc)

bash "$root/scripts/install-deps.sh" test

run_suite() {
    local build=$1
    shift
    cmake -S "$root" -B "$build" -G Ninja -DORV_WERROR=ON "$@"
    cmake --build "$build" -j"$jobs"
    ctest --test-dir "$build" --output-on-failure -j"$jobs"
}

run_suite "$root/build/test" -DCMAKE_BUILD_TYPE=RelWithDebInfo

if [ "${ORV_SANITIZE:-1}" != 0 ]; then
    export ASAN_OPTIONS=detect_leaks=1:abort_on_error=1:strict_string_checks=1
    export LSAN_OPTIONS=suppressions="$root/tests/lsan.supp":print_suppressions=0
    export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
    run_suite "$root/build/asan" -DCMAKE_BUILD_TYPE=Debug -DORV_SANITIZE=ON
fi

if [ "${ORV_FUZZ:-1}" != 0 ]; then
    bash "$root/scripts/fuzz.sh"
fi
