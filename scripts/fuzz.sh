#!/usr/bin/env bash
# Runs every fuzz target of a fuzz build for a while on a copy of its seeds.
# Usage: scripts/fuzz.sh BUILD_DIR SECONDS_PER_TARGET
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/fuzz}
seconds=${2:-60}
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
shopt -s nullglob
targets=("$build"/fuzz/*_fuzz)
if ((${#targets[@]} == 0)); then
    echo "fuzz: no targets"
    exit 0
fi
for target in "${targets[@]}"; do
    name=$(basename "$target" _fuzz)
    mkdir -p "$work/$name"
    seeds=()
    [[ -d "fuzz/corpus/$name" ]] && seeds=("fuzz/corpus/$name")
    echo "=== fuzz: $name for ${seconds}s"
    "$target" -max_total_time="$seconds" -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$work/" "$work/$name" "${seeds[@]}" 2>&1 | tail -n 3
done
echo "fuzz: ${#targets[@]} targets ran without a crash"
