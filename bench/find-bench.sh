#!/usr/bin/env bash
# Searches a corpus of 2,000 archives (ZIP, tar.gz, 7z and a few ISO images) holding 100,000 entries in a
# folder tree for '*.txt' entries with orvfind-cli, side by side with ugrep and a bsdtar loop, checks that
# every hit of the peers is among ours, and times our search: first searches (an empty catalogue) with one
# job and with one per core, a repeat over the same corpus, and one after 1% of the archives changed, each
# beside ugrep and each output compared byte for byte with the one it must equal; and the catalogue's size.
# Not a test: run it by hand on a quiet machine; the load average at the end says how quiet it was.
#   bench/find-bench.sh [BUILD_DIR]    (default: build)
set -euo pipefail

build=${1:-build}
cmake --build "$build" --target orvfind-cli >/dev/null
ours=$(find "$build" -name orvfind-cli -type f -perm -u+x | head -n1)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
# A desktop session's locale: names are read as UTF-8 without a conversion per name.
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" LC_ALL=C.UTF-8
corpus="$work/corpus"

# 50 entries per archive: 25 text files and 25 others in three folders; 10 templates differ in content.
make_template() {
    local dir="$work/t$1" i
    mkdir -p "$dir/docs/a" "$dir/data"
    for ((i = 0; i < 25; i++)); do
        printf 'template %d text %d\n' "$1" "$i" >"$dir/$( ((i % 3 == 0)) && echo docs/a || echo docs)/n$i.txt"
        head -c $((200 + i * 37 + $1)) /dev/zero | tr '\0' 'q' >"$dir/data/b$i.dat"
    done
}
for t in 0 1 2 3 4 5 6 7 8 9; do make_template "$t"; done

make_archive() {  # index
    local i=$1 tpl="$work/t$(($1 % 10))" dir="$corpus/g$(($1 / 100))/s$(($1 % 7))"
    mkdir -p "$dir"
    if ((i < 900)); then
        (cd "$tpl" && zip -qr "$dir/z$i.zip" docs data)
    elif ((i < 1800)); then
        tar -C "$tpl" -czf "$dir/t$i.tar.gz" docs data
    elif ((i < 1990)); then
        (cd "$tpl" && 7z a -bd -y "$dir/s$i.7z" docs data >/dev/null)
    else
        genisoimage -quiet -udf -o "$dir/i$i.iso" "$tpl" 2>/dev/null
    fi
}
echo "making the corpus..." >&2
for ((n = 0; n < 2000; n++)); do make_archive "$n"; done

once() {  # output file, command... -> elapsed seconds
    local out=$1 start
    shift
    # The shell reads the clock itself: no process started to read it is timed with the command.
    start=$EPOCHREALTIME
    "$@" >"$out" 2>/dev/null || true
    echo "$EPOCHREALTIME - $start" | bc -l
}

# The median of three runs, each after the preparing command: one run's stall on a busy machine does not
# decide a row.
seconds() {  # preparing command, output file, command... -> elapsed seconds
    local prepare=$1 runs=()
    shift
    for _ in 1 2 3; do
        $prepare
        runs+=("$(once "$@")")
    done
    printf '%s\n' "${runs[@]}" | sort -g | sed -n 2p
}

bsdtar_loop() {
    find "$corpus" -type f \( -name '*.zip' -o -name '*.tar.gz' -o -name '*.7z' -o -name '*.iso' \) -print0 |
        while IFS= read -r -d '' a; do bsdtar -tf "$a" | sed -n "s|^\(.*\.txt\)\$|$a/\1|p"; done
}

jobs=$(nproc)
export XDG_CACHE_HOME="$work/home/.cache"
query=(--mode files --files '*.txt' "$corpus")
# A first search: the catalogue is emptied before the clock starts.
clear_catalogue() { "$ours" catalogue clear >/dev/null; }
# The listings of the archives changed since are stored then; one in a hundred gets another template's content.
change_one_percent() {
    local n tpl dir
    for ((n = 0; n < 2000; n += 100)); do
        dir="$corpus/g$((n / 100))/s$((n % 7))"
        tpl="$work/t$(((n + 1) % 10))"
        if ((n < 900)); then
            rm -f "$dir/z$n.zip" && (cd "$tpl" && zip -qr "$dir/z$n.zip" docs data)
        elif ((n < 1800)); then
            tar -C "$tpl" -czf "$dir/t$n.tar.gz" docs data
        else
            rm -f "$dir/s$n.7z" && (cd "$tpl" && 7z a -bd -y "$dir/s$n.7z" docs data >/dev/null)
        fi
    done
}

t_ugrep=$(seconds : "$work/ugrep" ugrep -z -r -l -g '*.txt' '' "$corpus")
t_ours=$(seconds clear_catalogue "$work/ours" "$ours" find --jobs 1 "${query[@]}")
t_nopump=$(seconds clear_catalogue "$work/nopump" "$ours" find --jobs 1 --no-pump "${query[@]}")
t_plain=$(seconds : "$work/plain" "$ours" find --no-catalogue --jobs 1 "${query[@]}")
t_jobs=$(seconds clear_catalogue "$work/jobs" "$ours" find --jobs "$jobs" "${query[@]}")
t_repeat=$(seconds : "$work/repeat" "$ours" find "${query[@]}")
catalogue=$("$ours" catalogue info)
change_one_percent
t_ugrep2=$(seconds : "$work/ugrep2" ugrep -z -r -l -g '*.txt' '' "$corpus")
# Once: the run stores what changed, and a second would be a repeat.
t_changed=$(once "$work/changed" "$ours" find "${query[@]}")
"$ours" find --no-catalogue "${query[@]}" >"$work/changed.plain" 2>/dev/null || true
t_bsdtar=$(once "$work/bsdtar" bsdtar_loop)
same() { cmp -s "$1" "$2" && echo yes || echo NO; }

# The same hit in the same words: archive path "/" path inside, without the tar level of a tar.gz.
sed -E 's|^(.*) ([^ ]+) [0-9][0-9 ]* bytes .*$|\2/\1|' "$work/ours" |
    sed -E 's|(\.tar\.gz)/[^/]+\.tar/|\1/|' | sort >"$work/ours.norm"
sed -E 's|\{(.*)\}$|/\1|' "$work/ugrep" | sort >"$work/ugrep.norm"
sed -E 's|/\./|/|' "$work/bsdtar" | sort >"$work/bsdtar.norm"
missing_ugrep=$(comm -13 "$work/ours.norm" "$work/ugrep.norm" | wc -l)
missing_bsdtar=$(comm -13 "$work/ours.norm" "$work/bsdtar.norm" | wc -l)
ugrep_7z=$(grep -c '\.7z/' "$work/ours.norm" || true)
ugrep_saw_7z=$(grep -c '\.7z/' "$work/ugrep.norm" || true)

printf 'hits: ours %d (7z: %d), ugrep %d (7z: %d), bsdtar loop %d\n' "$(wc -l <"$work/ours.norm")" "$ugrep_7z" \
    "$(wc -l <"$work/ugrep.norm")" "$ugrep_saw_7z" "$(wc -l <"$work/bsdtar.norm")"
printf 'peer hits missing from ours: ugrep %d, bsdtar %d\n' "$missing_ugrep" "$missing_bsdtar"
printf 'the same output: %d jobs %s, uncatalogued %s, repeat %s, 1%% changed as uncatalogued %s\n' "$jobs" \
    "$(same "$work/ours" "$work/jobs")" "$(same "$work/ours" "$work/plain")" "$(same "$work/ours" "$work/repeat")" \
    "$(same "$work/changed" "$work/changed.plain")"
ratio() { echo "$1 / $2" | bc -l; }
printf 'ugrep %.3f s; ours cold, 1 job %.3f s (%.2f), %d jobs %.3f s (%.2f); repeat %.3f s (%.2f)\n' "$t_ugrep" \
    "$t_ours" "$(ratio "$t_ours" "$t_ugrep")" "$jobs" "$t_jobs" "$(ratio "$t_jobs" "$t_ugrep")" "$t_repeat" \
    "$(ratio "$t_repeat" "$t_ugrep")"
printf 'after 1%% changed: ugrep %.3f s; ours %.3f s (%.2f)\n' "$t_ugrep2" "$t_changed" "$(ratio "$t_changed" "$t_ugrep2")"
printf 'ours 1 job without catalogue %.3f s, without pumping %.3f s (pumping costs %.1f %%); bsdtar loop %.3f s\n' \
    "$t_plain" "$t_nopump" "$(echo "($t_ours - $t_nopump) * 100 / $t_nopump" | bc -l)" "$t_bsdtar"
entries=$(sed -n 's/^entries: //p' <<<"$catalogue")
bytes=$(sed -n 's/^size: \([0-9]*\) bytes/\1/p' <<<"$catalogue")
printf 'catalogue: %d entries in %d bytes, %.0f MB per million entries\n' "$entries" "$bytes" \
    "$(echo "$bytes / $entries" | bc -l)"
printf 'load average: %s\n' "$(cut -d' ' -f1-3 /proc/loadavg)"
