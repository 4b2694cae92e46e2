#!/usr/bin/env bash
# Builds the Debian packages mapvale and mapvale-servers into build/package/ (a Release build of
# the programs only, prefix /usr, package-managed). Run by hand, not in CI: it is a build of its
# own. Usage: scripts/package.sh   (MAPVALE_PACKAGE_JOBS sets the build's jobs)
set -euo pipefail
cd "$(dirname "$0")/.."

scripts/install-deps.sh
# What CPack's Debian generator needs: dpkg-shlibdeps (dpkg-dev) for the library dependencies,
# file(1) to find the programs among the files.
needed=()
for p in dpkg-dev file; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || needed+=("$p")
done
if ((${#needed[@]} > 0)); then
    sudo=""
    [[ $(id -u) -eq 0 ]] || sudo="sudo"
    export DEBIAN_FRONTEND=noninteractive
    $sudo apt-get update -qq
    $sudo apt-get install -y -qq --no-install-recommends "${needed[@]}"
fi

jobs=${MAPVALE_PACKAGE_JOBS:-$(nproc 2>/dev/null || echo 2)}
cmake --preset package >/dev/null
cmake --build --preset package -j "$jobs"
rm -f build/package/*.deb
(cd build/package && cpack -G DEB --config CPackConfig.cmake)
ls -l build/package/*.deb
