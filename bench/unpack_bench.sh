#!/usr/bin/env bash
# Times ZipModule against Info-ZIP unzip on the same archive of about 1 GiB cut into byte spans
# (Korea.000, Korea.001, ..., Korea.zip), and prints both times, their ratio and ZipModule's
# peak memory. unzip cannot read byte spans, so it gets the spans joined into one file; the
# join is timed on its own. Each tool runs twice on a warm page cache; the faster run counts.
#
# Usage: bench/unpack_bench.sh [program folder] [MiB]
#   program folder  holds ZipModule (default: build/release/bin)
#   MiB             uncompressed size of the archive's content (default: 1024)
set -euo pipefail
cd "$(dirname "$0")/.."

program_dir=${1:-build/release/bin}
size_mib=${2:-1024}
zipmodule="$(realpath "$program_dir")/ZipModule"
for tool in "$zipmodule" zip unzip /usr/bin/time; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/unpack-bench-XXXXXX")
trap 'rm -rf "$work"' EXIT

# Content like a map package: one large compressible file, one incompressible (Info-ZIP stores
# it), and a folder of small files.
echo "making ${size_mib} MiB of content..."
mkdir -p "$work/src/maps" "$work/src/html"
text_mib=$((size_mib * 6 / 10))
raw_mib=$((size_mib * 3 / 10))
small_count=$((size_mib / 10))
head -c $((text_mib * 1024 * 1024 * 3 / 4)) /dev/urandom | base64 -w 76 >"$work/src/maps/road.map"
head -c $((raw_mib * 1024 * 1024)) /dev/urandom >"$work/src/maps/raster.bin"
for ((i = 0; i < small_count; i++)); do
    head -c $((768 * 1024)) /dev/urandom | base64 -w 76 >"$work/src/html/page$i.html"
done

echo "packing and cutting into 8 MiB spans..."
(cd "$work/src" && zip -q -r "$work/whole.zip" .)
rm -rf "$work/src"
mkdir -p "$work/dl"
split -b 8M -d -a 4 "$work/whole.zip" "$work/dl/span"
spans=("$work"/dl/span*)
last=$((${#spans[@]} - 1))
for i in "${!spans[@]}"; do
    if ((i == last)); then
        mv "${spans[$i]}" "$work/dl/Korea.zip"
    else
        mv "${spans[$i]}" "$(printf '%s/dl/Korea.%03d' "$work" "$i")"
    fi
done
rm "$work/whole.zip"
archive_bytes=$(cat "$work"/dl/Korea.* | wc -c)

# Runs "$@" with a fresh output folder; prints "seconds peak_kib".
measure() {
    rm -rf "$work/out"
    mkdir -p "$work/out"
    sync
    /usr/bin/time -f '%e %M' -o "$work/time.txt" "$@" >/dev/null
    cat "$work/time.txt"
}
best() {  # the faster of two runs
    local a b
    a=$(measure "$@")
    b=$(measure "$@")
    awk -v a="$a" -v b="$b" 'BEGIN { split(a, x, " "); split(b, y, " ");
        print (x[1] <= y[1] ? a : b) }'
}

join_seconds=$( { /usr/bin/time -f '%e' bash -c 'cat "$0"/dl/Korea.[0-9]* "$0"/dl/Korea.zip >"$0"/joined.zip' "$work"; } 2>&1 )
read -r unzip_seconds unzip_kib < <(best unzip -q -o "$work/joined.zip" -d "$work/out")
# ZipModule flushes every file to disk before renaming it into place; unzip leaves that to the
# kernel. This run makes unzip's output as durable.
read -r unzip_sync_seconds _ < <(best sh -c 'unzip -q -o "$0" -d "$1" && sync' \
    "$work/joined.zip" "$work/out")
rm -f "$work/joined.zip"
read -r zm_seconds zm_kib < <(best "$zipmodule" "$work/dl/Korea.zip" "$work/out")
ls "$work/out/maps/road.map" >/dev/null

awk -v n="${#spans[@]}" -v bytes="$archive_bytes" -v mib="$size_mib" -v join="$join_seconds" \
    -v us="$unzip_seconds" -v uk="$unzip_kib" -v zs="$zm_seconds" -v zk="$zm_kib" -v uss="$unzip_sync_seconds" '
BEGIN {
    printf "archive: %d spans, %.0f MiB (content %d MiB)\n", n, bytes / 1048576, mib
    printf "unzip (joined copy):        %6.2f s  peak %6d KiB   (+ %.2f s to join the spans)\n", us, uk, join
    printf "unzip, then sync:           %6.2f s\n", uss
    printf "ZipModule (spans directly): %6.2f s  peak %6d KiB\n", zs, zk
    printf "ratio ZipModule / unzip:    %6.2f   (against unzip+sync: %.2f; with the join counted: %.2f)\n", zs / us, zs / uss, zs / (uss + join)
}'
