#!/usr/bin/env bash
# Memory of a search with many hits: orvfind-cli find over one .tar.gz of 1,000,000 entries, every entry a
# hit and then none, beside bsdtar -tzf piped into grep in the same run; prints the wall time and the peak
# resident memory of each (GNU time). The two searches differ by the memory the hits take. Not a test: run
# it by hand on a quiet machine.
#   bench/find-memory-bench.sh [PATH-TO-orvfind-cli] [ENTRIES]
set -euo pipefail

here=$(cd "$(dirname "$0")" && pwd)
cli=${1:-${ORVFIND_CLI:-$here/../build/bin/orvfind-cli}}
entries=${2:-1000000}
[ -x "$cli" ] || { echo "orvfind-cli not found at $cli (pass its path)" >&2; exit 2; }
[ -x /usr/bin/time ] || { echo "GNU time (/usr/bin/time) is needed" >&2; exit 2; }

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LC_ALL=C.UTF-8
mkdir -p "$XDG_CONFIG_HOME" "$work/tree"

echo "making a .tar.gz of $entries entries..." >&2
python3 - "$work/tree/many.tar.gz" "$entries" <<'PY'
import io, sys, tarfile, time
now = int(time.time())
with tarfile.open(sys.argv[1], "w:gz", compresslevel=1) as archive:
    for i in range(int(sys.argv[2])):
        info = tarfile.TarInfo(f"set{i // 1000:04d}/file{i:07d}.txt")
        info.size = 2
        info.mtime = now
        archive.addfile(info, io.BytesIO(b"x\n"))
PY

measure() {  # label, command...
    local label=$1
    shift
    /usr/bin/time -v -o "$work/time" "$@" >"$work/out" 2>/dev/null || true
    local seconds kb lines
    seconds=$(sed -n 's/.*Elapsed (wall clock) time.*: //p' "$work/time")
    kb=$(sed -n 's/.*Maximum resident set size (kbytes): //p' "$work/time")
    lines=$(wc -l <"$work/out")
    printf '%-28s %12s %10d MB %10d lines\n' "$label" "$seconds" $((kb / 1024)) "$lines"
}

printf '%-28s %12s %13s %16s\n' what "wall (m:s)" "peak memory" output
measure "orvfind-cli find" "$cli" find --mode files --files '*.txt' "$work/tree"
measure "orvfind-cli find, no hit" "$cli" find --mode files --files '*.none' "$work/tree"
measure "bsdtar -tzf | grep" bash -c "bsdtar -tzf '$work/tree/many.tar.gz' | grep '\\.txt\$'"
