#!/usr/bin/env bash
# Times listing and extracting the largest RAR sample (a set of three volumes) with orvfind-cli, 7z and
# bsdtar in the same run, and prints the median times with each peer's ratio to orvfind-cli.
#
# usage: bench/rar-bench.sh [PATH-TO-orvfind-cli] [SAMPLE-FOLDER]
# bsdtar cannot follow a volume set by its first name, so it reads the volumes joined on a pipe; 7z
# extracts these stored entries itself (it has no RAR decompressor for the others). Every time includes
# the start of a shell, alike for all three. Output goes to a temporary folder removed at the end.
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${ORVFIND_CLI:-$here/../build/bin/orvfind-cli}}
samples=${2:-${ORV_SHARED_DIR:-$here/../../shared}/fixtures/rar}
runs=${RUNS:-40}

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

# The six commands take turns, one run of each per round after a warm-up round, so a load that comes and
# goes on the shared machine falls on all of them alike; each figure is the median of its runs.
time_commands() {  # commands... -> one median per command, in seconds
    local round i start end
    for ((round = 0; round <= runs; round++)); do
        for i in $(seq 0 $(($# - 1))); do
            start=$EPOCHREALTIME
            bash -c "${@:i+1:1}" >/dev/null 2>&1
            end=$EPOCHREALTIME
            ((round == 0)) || echo "$i $start $end"
        done
    done >"$work/times"
    for i in $(seq 0 $(($# - 1))); do
        awk -v i="$i" '$1 == i { print $3 - $2 }' "$work/times" | sort -g |
            awk '{ v[NR] = $1 } END { printf "%.4f\n", NR % 2 ? v[(NR + 1) / 2] : (v[NR / 2] + v[NR / 2 + 1]) / 2 }'
    done
}

report() {
    local what=$1 ours=$2 seven=$3 bsd=$4
    awk -v w="$what" -v o="$ours" -v s="$seven" -v b="$bsd" 'BEGIN {
        printf "%-8s orvfind-cli %.4f s   7z %.4f s (%.2fx)   bsdtar %.4f s (%.2fx)\n", w, o, s, o / s, b, o / b }'
}

out="$work/out"
fresh="rm -rf '$out' && mkdir -p '$out'"
mapfile -t medians < <(time_commands \
    "'$cli' list '$first'" \
    "7z l '$first'" \
    "cat '$stem'.part*.rar | bsdtar -tvf -" \
    "$fresh && '$cli' extract --overwrite always '$first' '$out'" \
    "$fresh && 7z x -y -o'$out' '$first'" \
    "$fresh && cat '$stem'.part*.rar | bsdtar -xf - -C '$out'")
read -r list_ours list_7z list_bsd x_ours x_7z x_bsd <<<"${medians[*]}"

echo "Ratios are orvfind-cli's time over the peer's (below 1 is faster)."
report list "$list_ours" "$list_7z" "$list_bsd"
report extract "$x_ours" "$x_7z" "$x_bsd"
