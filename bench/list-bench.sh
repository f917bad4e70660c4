#!/usr/bin/env bash
# Times listing an archive of 100,000 entries with orvfind-cli, 7z and bsdtar in the same run and prints
# the mean times with each tool's ratio to orvfind-cli.
#
# usage: bench/list-bench.sh [PATH-TO-orvfind-cli] [ENTRIES]
# Uses hyperfine when installed, else a loop timed with date. Everything is written to a temporary
# folder that is removed at the end; the command runs with HOME and XDG_CONFIG_HOME pointing there.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${ORVFIND_CLI:-$here/../build/bin/orvfind-cli}}
entries=${2:-100000}
runs=${RUNS:-5}

[ -x "$cli" ] || { echo "orvfind-cli not found at $cli (pass its path)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$XDG_CONFIG_HOME"

echo "Making archives of $entries entries in $work ..." >&2
/usr/bin/env python3 "$here/make-archives.py" "$work" "$entries"

# Mean wall time in seconds of one command, its output thrown away.
time_command() {
    local cmd=$1
    if command -v hyperfine >/dev/null; then
        hyperfine --style none --warmup 1 --runs "$runs" --export-json "$work/h.json" "$cmd" >/dev/null 2>&1
        /usr/bin/env python3 -c 'import json,sys; print("%.4f" % json.load(open(sys.argv[1]))["results"][0]["mean"])' "$work/h.json"
    else
        bash -c "$cmd" >/dev/null 2>&1
        local start end
        start=$(date +%s.%N)
        for _ in $(seq "$runs"); do bash -c "$cmd" >/dev/null 2>&1; done
        end=$(date +%s.%N)
        awk -v s="$start" -v e="$end" -v n="$runs" 'BEGIN { printf "%.4f\n", (e - s) / n }'
    fi
}

printf '%-12s %-12s %10s %8s %10s\n' archive tool "mean (s)" ratio lines
for archive in many.zip many.tar.gz; do
    path="$work/$archive"
    if ! "$cli" list "$path" >/dev/null 2>&1; then
        printf '%-12s %-12s %10s\n' "$archive" orvfind-cli "not yet"
        continue
    fi
    base=""
    for tool in orvfind-cli 7z bsdtar; do
        case $tool in
        orvfind-cli) cmd="'$cli' list '$path'" ;;
        7z) cmd="7z l '$path'" ;;
        bsdtar) cmd="bsdtar -tf '$path'" ;;
        esac
        if ! command -v "${tool%%-*}" >/dev/null && [ "$tool" != orvfind-cli ]; then
            printf '%-12s %-12s %10s\n' "$archive" "$tool" "missing"
            continue
        fi
        lines=$(bash -c "$cmd" 2>/dev/null | wc -l)
        mean=$(time_command "$cmd")
        [ -n "$base" ] || base=$mean
        ratio=$(awk -v m="$mean" -v b="$base" 'BEGIN { printf "%.2f", m / b }')
        printf '%-12s %-12s %10s %8s %10s\n' "$archive" "$tool" "$mean" "$ratio" "$lines"
    done
done
