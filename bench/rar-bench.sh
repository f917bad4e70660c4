#!/usr/bin/env bash
# Times listing and extracting the largest RAR sample (a set of three volumes) with orvfind-cli, 7z and
# bsdtar in the same run, and prints the mean times with each peer's ratio to orvfind-cli.
#
# usage: bench/rar-bench.sh [PATH-TO-orvfind-cli] [SAMPLE-FOLDER]
# bsdtar cannot follow a volume set by its first name, so it reads the volumes joined on a pipe; 7z
# extracts these stored entries itself (it has no RAR decompressor for the others). Uses hyperfine when
# installed, else a loop timed with date. Output goes to a temporary folder removed at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${ORVFIND_CLI:-$here/../build/finder/cli/orvfind-cli}}
samples=${2:-${ORV_SHARED_DIR:-$here/../../shared}/fixtures/rar}
runs=${RUNS:-20}

[ -x "$cli" ] || { echo "orvfind-cli not found at $cli (pass its path)" >&2; exit 2; }
[ -d "$samples" ] || { echo "RAR samples not found at $samples (pass the folder)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")
samples=$(cd "$samples" && pwd)

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME"

# The largest set by total size.
first=$(for f in "$samples"/*.part1.rar; do
    stem=${f%.part1.rar}
    printf '%s %s\n' "$(cat "$stem".part*.rar | wc -c)" "$f"
done | sort -n | tail -1 | cut -d' ' -f2-)
stem=${first%.part1.rar}
echo "Sample: $(basename "$first") and its volumes, $(cat "$stem".part*.rar | wc -c) bytes" >&2

time_command() {
    local cmd=$1
    if command -v hyperfine >/dev/null; then
        hyperfine --style none --warmup 2 --runs "$runs" --export-json "$work/h.json" "$cmd" >/dev/null 2>&1
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

report() {
    local what=$1 ours=$2 seven=$3 bsd=$4
    awk -v w="$what" -v o="$ours" -v s="$seven" -v b="$bsd" 'BEGIN {
        printf "%-8s orvfind-cli %.4f s   7z %.4f s (%.2fx)   bsdtar %.4f s (%.2fx)\n", w, o, s, o / s, b, o / b }'
}

out="$work/out"
list_ours=$(time_command "'$cli' list '$first'")
list_7z=$(time_command "7z l '$first'")
list_bsd=$(time_command "cat '$stem'.part*.rar | bsdtar -tvf -")
x_ours=$(time_command "rm -rf '$out' && mkdir -p '$out' && '$cli' extract --overwrite always '$first' '$out'")
x_7z=$(time_command "rm -rf '$out' && mkdir -p '$out' && 7z x -y -o'$out' '$first'")
x_bsd=$(time_command "rm -rf '$out' && mkdir -p '$out' && cat '$stem'.part*.rar | bsdtar -xf - -C '$out'")

echo "Ratios are orvfind-cli's time over the peer's (below 1 is faster)."
report list "$list_ours" "$list_7z" "$list_bsd"
report extract "$x_ours" "$x_7z" "$x_bsd"
