#!/usr/bin/env bash
# Times orvfind-cli on disc images side by side with 7z and bsdtar and prints the ratio of ours to the
# faster of the two. Not a test: run it by hand on a quiet machine.
#   listing: an image of 50,000 files in 5,000 folders, as ISO 9660 and as UDF (genisoimage -udf);
#   extraction: an image of large files (200 MB by default, 1 GB with --large) against 7z x and bsdtar.
# bsdtar has no UDF reader; on the UDF image it reads the ISO 9660 side that genisoimage adds.
#
# usage: bench/iso-bench.sh [--large] [BUILD_DIR]    (default build dir: build)
set -euo pipefail

large=0
if [[ ${1:-} == --large ]]; then large=1; shift; fi
build=${1:-build}
cmake --build "$build" --target orvfind-cli >/dev/null 2>&1 || echo "note: orvfind-cli did not rebuild; timing the one already built" >&2
ours=$(find "$build" -name orvfind-cli -type f -perm -u+x | head -n1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME=$work/home XDG_CONFIG_HOME=$work/home/.config
mkdir -p "$HOME"

seconds() {  # command... -> elapsed seconds, output discarded
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

row() {  # label, ours, 7z, bsdtar
    local best ratio
    best=$(echo "if ($3 < $4) $3 else $4" | bc -l)
    ratio=$(echo "$2 / $best" | bc -l)
    printf '%-26s ours %7.3f s   7z %7.3f s   bsdtar %7.3f s   ratio %5.2f\n' "$1" "$2" "$3" "$4" "$ratio"
}

best_of_3() {  # command... -> the fastest of three runs
    local a b c
    a=$(seconds "$@"); b=$(seconds "$@"); c=$(seconds "$@")
    printf '%s\n%s\n%s\n' "$a" "$b" "$c" | sort -g | head -n1
}

# 5,000 folders of 10 small files; names fit ISO 9660 level 1 so both file systems list the same tree.
python3 - "$work/many" <<'PY'
import os, sys
root = sys.argv[1]
for d in range(5000):
    folder = os.path.join(root, "D%04d" % d)
    os.makedirs(folder)
    for f in range(10):
        with open(os.path.join(folder, "F%d.TXT" % f), "w") as out:
            out.write("file %d of folder %d\n" % (f, d))
PY
genisoimage -quiet -o "$work/many.iso" "$work/many"
genisoimage -quiet -udf -o "$work/many-udf.iso" "$work/many"

for image in many.iso many-udf.iso; do
    a="$work/$image"
    row "list $image" "$(best_of_3 "$ours" list "$a")" "$(best_of_3 7z l "$a")" "$(best_of_3 bsdtar -tf "$a")"
done

# Large files of incompressible data.
count=$((large ? 20 : 4))
mkdir -p "$work/big"
for ((i = 0; i < count; i++)); do
    head -c $((50 * 1024 * 1024)) /dev/urandom >"$work/big/PART$i.BIN"
done
genisoimage -quiet -o "$work/big.iso" "$work/big"
genisoimage -quiet -udf -o "$work/big-udf.iso" "$work/big"
rm -rf "$work/big"

fresh() { rm -rf "$work/x" && mkdir -p "$work/x" && sync; }
# The tools take turns, so writeback of one run's output weighs on every tool alike; best of three.
for image in big.iso big-udf.iso; do
    a="$work/$image"
    declare -A best=()
    for round in 1 2 3; do
        fresh; t=$(seconds "$ours" extract --overwrite always "$a" "$work/x"); best[ours]=$(printf '%s\n%s\n' "$t" "${best[ours]:-1e9}" | sort -g | head -n1)
        fresh; t=$(seconds 7z x -y -o"$work/x" "$a"); best[7z]=$(printf '%s\n%s\n' "$t" "${best[7z]:-1e9}" | sort -g | head -n1)
        fresh; t=$(seconds bsdtar -xf "$a" -C "$work/x"); best[bsd]=$(printf '%s\n%s\n' "$t" "${best[bsd]:-1e9}" | sort -g | head -n1)
    done
    row "extract $image ($((count * 50)) MB)" "${best[ours]}" "${best[7z]}" "${best[bsd]}"
    unset best
done
