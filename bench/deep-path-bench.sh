#!/usr/bin/env bash
# Times extracting a tar whose one file lies 4,000 folders deep through orvfind-cli side by side with
# bsdtar, and prints the ratio of ours to bsdtar's. The folders are walked without following links, so a
# walk that started from the target folder for every item would take time in the square of the depth.
# Not a test: run it by hand on a quiet machine. Everything goes below $TMPDIR; removing deep folders is
# slow on some disks, so TMPDIR=/dev/shm keeps the runs short.
#   bench/deep-path-bench.sh [BUILD_DIR] [DEPTH]    (defaults: build, 4000)
set -euo pipefail

build=${1:-build}
depth=${2:-4000}
cmake --build "$build" --target orvfind-cli >/dev/null
ours=$(find "$build" -name orvfind-cli -type f -perm -u+x | head -n1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"

seconds() {  # command... -> elapsed seconds, output discarded
    local start end
    start=$(date +%s.%N)
    "$@" >/dev/null 2>&1
    end=$(date +%s.%N)
    echo "$end - $start" | bc -l
}

fresh() { rm -rf "$work/x" && mkdir -p "$work/x"; }

python3 - "$work/deep.tar" "$depth" <<'EOF'
import io, sys, tarfile
with tarfile.open(sys.argv[1], 'w', format=tarfile.PAX_FORMAT) as t:
    info = tarfile.TarInfo('d/' * int(sys.argv[2]) + 'f.txt')
    info.size = 3
    t.addfile(info, io.BytesIO(b'hi\n'))
EOF

fresh; t_ours=$(seconds "$ours" extract "$work/deep.tar" "$work/x")
fresh; t_bsd=$(seconds bsdtar -xf "$work/deep.tar" -C "$work/x")
fresh
printf 'extract a %d-level path (%d bytes)   ours %7.3f s   bsdtar %7.3f s   ratio %5.2f\n' "$depth" \
    "$(stat -c %s "$work/deep.tar")" "$t_ours" "$t_bsd" "$(echo "$t_ours / $t_bsd" | bc -l)"
