#!/usr/bin/env bash
# Sets up a fresh Debian 12 machine for the build, builds every configuration the project keeps
# green (warnings as errors, then AddressSanitizer+UBSan, then ThreadSanitizer) and runs all
# tests in each, then gives every fuzz target a short run on its seeds.
# Usage: scripts/test.sh [preset ...]   (default: ci ci-asan ci-tsan fuzz)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh

presets=("$@")
if ((${#presets[@]} == 0)); then
    presets=(ci ci-asan ci-tsan fuzz)
fi

jobs=$(nproc 2>/dev/null || echo 2)
for preset in "${presets[@]}"; do
    echo "=== ${preset}: configure and build"
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$jobs"
    if [[ "$preset" == fuzz ]]; then
        scripts/fuzz.sh build/fuzz 5
    else
        echo "=== ${preset}: test"
        ctest --preset "$preset" -j "$jobs"
    fi
done
