#!/usr/bin/env bash
# Splits a 100 MB file into parts of 10 MB and merges the parts again with orvfind-cli, side by side with
# GNU split (naming its parts .001, .002 ... as we do) and cat, checks that every merge gives the file back
# byte for byte, and prints the median times with our ratio to the peer.
#
# usage: bench/split-merge-bench.sh [PATH-TO-orvfind-cli]
# Not a test: run it by hand on a quiet machine. Everything goes below $TMPDIR (with TMPDIR=/dev/shm the
# disk stays out of the times); RUNS sets the rounds (default 10).
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${ORVFIND_CLI:-$here/../build/bin/orvfind-cli}}
runs=${RUNS:-10}
[ -x "$cli" ] || { echo "orvfind-cli not found at $cli (pass its path)" >&2; exit 2; }
cli=$(cd "$(dirname "$cli")" && pwd)/$(basename "$cli")

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME"
head -c $((100 * 1024 * 1024)) /dev/urandom >"$work/data.bin"

# The commands take turns, one run of each per round after a warm-up round, so a load that comes and goes
# on the shared machine falls on all of them alike; each figure is the median of its runs.
time_commands() {  # commands... -> one median per command, in seconds
    local round i start end
    for ((round = 0; round <= runs; round++)); do
        for i in $(seq 0 $(($# - 1))); do
            bash -c "rm -rf '$work/ours' '$work/peer' '$work/back.bin' && mkdir -p '$work/ours' '$work/peer'"
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
    awk -v w="$1" -v p="$2" -v o="$3" -v t="$4" 'BEGIN {
        printf "%-6s orvfind-cli %.4f s   %-6s %.4f s   ratio %.2f\n", w, o, p, t, o / t }'
}

# Parts made once for the merges, by both tools, and compared.
"$cli" split --size 10M "$work/data.bin" "$work/parts"
mkdir -p "$work/peerparts"
split -b 10M --numeric-suffixes=1 -a 3 "$work/data.bin" "$work/peerparts/data.bin."
diff -r "$work/parts" "$work/peerparts" >/dev/null || { echo "the parts differ from split's" >&2; exit 1; }
parts=$(ls "$work/parts"/data.bin.* | tr '\n' ' ')

mapfile -t medians < <(time_commands \
    "'$cli' split --size 10M '$work/data.bin' '$work/ours'" \
    "split -b 10M --numeric-suffixes=1 -a 3 '$work/data.bin' '$work/peer/data.bin.'" \
    "'$cli' merge '$work/back.bin' $parts" \
    "cat $parts >'$work/back.bin'")
read -r split_ours split_peer merge_ours merge_peer <<<"${medians[*]}"

"$cli" merge "$work/back.bin" $parts
cmp "$work/data.bin" "$work/back.bin" || { echo "the merge differs from the source" >&2; exit 1; }
echo "100 MB in 10 parts of 10 MB; the merge gives the file back byte for byte. Ratio: ours over the peer's."
report split split "$split_ours" "$split_peer"
report merge cat "$merge_ours" "$merge_peer"
