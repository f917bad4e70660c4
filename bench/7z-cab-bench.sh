#!/usr/bin/env bash
# Times listing and extracting a 7z of 20,000 files (solid and non-solid) and a CAB of 5,000 files through
# orvfind-cli side by side with 7z and bsdtar, and prints the ratio of ours to the faster of the two.
# Not a test: run it by hand on a quiet machine. Everything goes below $TMPDIR; with TMPDIR=/dev/shm the
# disk stays out of the extraction times.
#   bench/7z-cab-bench.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=${1:-build}
here=$(cd "$(dirname "$0")/.." && pwd)
cmake --build "$build" --target orvfind-cli >/dev/null
ours=$(find "$build" -name orvfind-cli -type f -perm -u+x | head -n1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"

make_tree() {  # folder, file count
    local root=$1 count=$2 i
    for ((i = 0; i < count; i++)); do
        local dir="$root/d$((i / 100))"
        [[ -d $dir ]] || mkdir -p "$dir"
        printf 'file %d of the benchmark tree\n%0*d\n' "$i" $((i % 400)) 0 >"$dir/f$i.txt"
    done
}

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
    printf '%-28s ours %7.3f s   7z %7.3f s   bsdtar %7.3f s   ratio %5.2f\n' "$1" "$2" "$3" "$4" "$ratio"
}

fresh() { rm -rf "$work/x" && mkdir -p "$work/x"; }

make_tree "$work/tree7z" 20000
make_tree "$work/treecab" 5000
(cd "$work/tree7z" && 7z a -bd -ms=on "$work/solid.7z" . >/dev/null && 7z a -bd -ms=off "$work/nonsolid.7z" . >/dev/null)
(cd "$work/treecab" && find . -type f -printf '%P\n' | xargs gcab -c -z "$work/files.cab")

for archive in solid.7z nonsolid.7z files.cab; do
    a="$work/$archive"
    row "list $archive" "$(seconds "$ours" list "$a")" "$(seconds 7z l "$a")" "$(seconds bsdtar -tf "$a")"
    fresh; t_ours=$(seconds "$ours" extract --overwrite always "$a" "$work/x")
    fresh; t_7z=$(seconds 7z x -y -o"$work/x" "$a")
    fresh; t_bsd=$(seconds bsdtar -xf "$a" -C "$work/x")
    row "extract $archive" "$t_ours" "$t_7z" "$t_bsd"
done
