#!/usr/bin/env bash
# Builds the fuzz targets of the project's own parsers with clang, ASan and UBSan in build/fuzz, makes
# their seeds with the tools that make such files in real life, and runs each target for a few seconds
# (ORV_FUZZ_SECONDS, default 8). The corpus each run grows is kept in build/fuzz/corpus for the next run.
# Any crash, sanitizer finding, leak or hang fails the run; its input is left in build/fuzz/crashes.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build/fuzz"
seconds=${ORV_FUZZ_SECONDS:-8}
shared=${ORV_SHARED_DIR:-$root/../shared}

cmake -S "$root" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DORV_FUZZ=ON -DORV_BUILD_TESTS=OFF -DORV_WERROR=ON >/dev/null
cmake --build "$build" --target orv-fuzzers -j"$(nproc)"

seeds="$build/seeds"
work="$build/work"
rm -rf "$seeds" "$work"
mkdir -p "$seeds" "$work/src/docs/deep" "$build/corpus" "$build/crashes" "$build/tmp"
targets=(iso9660 udf profile gzipheader rarsignature rarvolumes cab listing)
for target in "${targets[@]}"; do
    mkdir -p "$seeds/$target" "$build/corpus/$target"
done

# A small tree with a long name, a deep folder and an empty file, for the image and archive tools.
printf 'top level\n' >"$work/src/top.txt"
printf 'read me\n%.0s' {1..40} >"$work/src/docs/readme.txt"
printf 'deep\n' >"$work/src/docs/deep/data.bin"
: >"$work/src/docs/empty.txt"
printf 'long\n' >"$work/src/docs/a name long enough to need Joliet or Rock Ridge to keep it.txt"

# Images without the padding the tools add at the end, and UDF volumes of 512-byte sectors, keep the seeds
# small: the fewer bytes an input has, the more often a mutation lands on a structure.
genisoimage -quiet -no-pad -o "$seeds/iso9660/plain.iso" "$work/src"
genisoimage -quiet -no-pad -R -J -o "$seeds/iso9660/rockridge-joliet.iso" "$work/src"
genisoimage -quiet -no-pad -udf -o "$seeds/udf/genisoimage.iso" "$work/src"
mkudffs --new-file --blocksize=512 --media-type=hd --udfrev=1.50 "$seeds/udf/mkudffs-150.img" 270 >/dev/null
mkudffs --new-file --blocksize=512 --media-type=hd --udfrev=2.01 --ad=short "$seeds/udf/mkudffs-201.img" 270 \
    >/dev/null

# INI seeds are a few lines by hand: sections, quotes, comments, blanks, a key twice, no section.
printf 'orphan=1\n[Unpack]\nAskBeforeOverwriting=No\n ; comment\n[unpack]\nkey = "quoted" \n' \
    >"$seeds/profile/sections.ini"
printf '[A]\r\nx=-12abc\r\n[B\r\ny\r\n=empty name\r\n[]\r\nz='"'"'q'"'"'\r\n' >"$seeds/profile/crlf.ini"

gzip -c "$work/src/top.txt" >"$seeds/gzipheader/named.gz"
gzip -n -c "$work/src/top.txt" >"$seeds/gzipheader/nameless.gz"
# A header with FEXTRA and FNAME: magic, deflate, flags 0x0c, time, XFL, OS, extra length 4, extra, name.
printf '\x1f\x8b\x08\x0c\x01\x02\x03\x04\x00\x03\x04\x00abcddir/name.txt\x00' >"$seeds/gzipheader/extra.gz"

for file in "$shared"/fixtures/rar/*.rar "$shared"/fixtures/rar/*.r0[01]; do
    [ -f "$file" ] && head -c 128 "$file" >"$seeds/rarsignature/$(basename "$file")"
done
# A self-extracting stub in front of a signature, and a false start of one.
{ printf 'MZ stub Rar!\x1a\x07\x02'; head -c 64 "$seeds/rarsignature/rar5-solid.rar" 2>/dev/null || true; } \
    >"$seeds/rarsignature/stub.exe"

for name in a.part1.rar a.PART09.RAR a.rar A.RAR a.r99 b.z98 c.s05 part1.rar x.part.rar; do
    printf '%s' "$name" >"$seeds/rarvolumes/$name"
done

# Listings as the catalogue keeps them, after a two-byte entry count: folders sharing a path, a time, a
# name beyond ASCII.
printf '\x03\x00\x01\x00\x00\x04d\x00o\x00c\x00s\x00\x02\x05\xc8\x01\x04\x02/\x00a\x00\x02\x07\x02\x05\x01\xe4\x00' \
    >"$seeds/listing/three.bin"
printf '\x01\x00\x00\xff\xff\xff\xff\xff\xff\xff\xff\xff\x01\x00\x01\x3d\xd8' >"$seeds/listing/extremes.bin"

for file in "$shared"/fixtures/cab/*.cab; do
    [ -f "$file" ] && cp "$file" "$seeds/cab/"
done
(cd "$work/src" && gcab -c "$seeds/cab/gcab-stored.cab" top.txt docs/readme.txt docs/empty.txt \
    && gcab -c -z "$seeds/cab/gcab-mszip.cab" top.txt docs/readme.txt docs/deep/data.bin)
if [ -f "$shared/fixtures/cab/cabd_multi_basic_pt1.cab" ]; then
    for part in 1 2 3 4 5; do
        cat "$shared/fixtures/cab/cabd_multi_basic_pt$part.cab"
        [ "$part" = 5 ] || printf -- '--next-cabinet--'
    done >"$seeds/cab/set-of-five.cab"
fi

export TMPDIR="$build/tmp"
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
failed=()
for target in "${targets[@]}"; do
    log="$build/$target.log"
    if ! "$build/bin/fuzz-$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 -print_final_stats=1 \
        -artifact_prefix="$build/crashes/$target-" "$build/corpus/$target" "$seeds/$target" >"$log" 2>&1; then
        failed+=("$target")
        tail -n 40 "$log"
    fi
    done_line=$(grep -E '^#[0-9]+[[:space:]]+DONE' "$log" | tail -n 1 || true)
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log")
    speed=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log")
    cov=$(sed -n 's/.* cov: \([0-9]*\).*/\1/p' <<<"$done_line")
    ft=$(sed -n 's/.* ft: \([0-9]*\).*/\1/p' <<<"$done_line")
    printf 'fuzz-%-13s %8s runs %7s exec/s  cov: %-5s ft: %s\n' "$target" "${runs:-?}" "${speed:-?}" "${cov:-?}" \
        "${ft:-?}"
done
if [ ${#failed[@]} -gt 0 ]; then
    echo "fuzzing found crashes in: ${failed[*]} (inputs in $build/crashes)" >&2
    exit 1
fi
