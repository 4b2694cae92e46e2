#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need. Idempotent: it asks apt only for what
# is missing and refreshes the package lists at most once per run.
set -euo pipefail

packages=(
    g++
    cmake
    ninja-build
    pkg-config
    libgtest-dev
    libgmock-dev
    libcurl4-openssl-dev
    curl
    libcpp-httplib-dev
    libzip-dev
    libjpeg62-turbo-dev
    libexif-dev
    zip
    unzip
    libsystemd-dev
    clang
    libclang-rt-14-dev
    qt6-base-dev
    qt6-webengine-dev
    qt6-webchannel-dev
    fonts-nanum
    xvfb
    xauth
    trayer
    xdotool
    desktop-file-utils
)

missing=()
for p in "${packages[@]}"; do
    status=$(dpkg-query -W -f='${Status}' "$p" 2>/dev/null || true)
    [[ "$status" == "install ok installed" ]] || missing+=("$p")
done

if ((${#missing[@]} == 0)); then
    echo "install-deps: all ${#packages[@]} packages present"
    exit 0
fi

sudo=""
if [[ $(id -u) -ne 0 ]]; then
    sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
