#!/usr/bin/env bash
# The demo, on a fresh Debian 12 machine: installs what the build needs, builds the console front
# end (mapvale-cli), the stand-in servers and the unpacker, writes a demo world and serves it on
# free loopback ports, makes a virtual memory card of one of the world's vehicles (HX100, with an
# older map and some of the user's own files), and runs mapvale-cli through a complete update of
# the card with its progress line. Then it shows what is on the card and stops the servers.
# Nothing is left running; the files stay in <build>/demo/ to look at.
#
# With --windowed it starts the windowed updater (Mapvale) on your display instead of the console
# run, signed in as the demo user with the card plugged in: click through the wizard (start, the
# questions, the notice's own button) until the completion page, then close it; the script then
# shows the card and stops the servers.
#
# Usage: scripts/demo.sh [--windowed]
# Environment (all optional):
#   MAPVALE_DEMO_BUILD_DIR  build folder (default build/release, configured as Release)
#   MAPVALE_DEMO_JOBS       parallel build jobs (default: the number of processors)
#   MAPVALE_DEMO_RATE       bytes a second the servers send, so the progress can be watched
#                           (default 50000; 0 sends as fast as it can)
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD

say() { printf '\n=== %s\n' "$*"; }

windowed=false
case "${1:-}" in
    "") ;;
    --windowed) windowed=true ;;
    *) echo "usage: scripts/demo.sh [--windowed]" >&2; exit 2 ;;
esac
if $windowed && [[ -z "${DISPLAY:-}" && -z "${WAYLAND_DISPLAY:-}" ]]; then
    echo "scripts/demo.sh --windowed needs a display (DISPLAY); on a machine without one try" >&2
    echo "  xvfb-run -a -s '-screen 0 1280x1024x24' scripts/demo.sh --windowed" >&2
    exit 2
fi

scripts/install-deps.sh

build=${MAPVALE_DEMO_BUILD_DIR:-build/release}
jobs=${MAPVALE_DEMO_JOBS:-$(nproc 2>/dev/null || echo 2)}
rate=${MAPVALE_DEMO_RATE:-50000}
targets=(mapvale-cli mapvale-servers ZipModule)
if $windowed; then
    targets+=(Mapvale MapvaleTray)
fi
say "building ${targets[*]} in $build"
if [[ ! -f "$build/CMakeCache.txt" ]]; then
    cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >/dev/null
fi
cmake --build "$build" --target "${targets[@]}" -j "$jobs"
bin=$(cd "$build/bin" && pwd)
work=$(cd "$build" && pwd)/demo
rm -rf "$work"
mkdir -p "$work"

server_pid=""
stop_servers() {
    if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    server_pid=""
}
trap stop_servers EXIT
trap 'exit 130' INT TERM

say "writing the demo world"
"$bin/mapvale-servers" world --out "$work/world"

say "serving it on loopback"
throttle=()
if [[ "$rate" != 0 ]]; then
    throttle=(--throttle "$rate")
fi
# The servers also stop when this script's end closes their standard input, however it ends.
mkfifo "$work/servers.stdin"
"$bin/mapvale-servers" serve --world "$work/world" --listen 127.0.0.1:0 \
    --traffic-listen 127.0.0.1:0 --stop-on-stdin-eof "${throttle[@]}" \
    <"$work/servers.stdin" >"$work/servers.out" 2>"$work/servers.log" &
server_pid=$!
exec 3>"$work/servers.stdin"
for _ in $(seq 300); do
    grep -q '^traffic listening on' "$work/servers.out" && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$work/servers.log" >&2; exit 1; }
    sleep 0.1
done
grep -q '^traffic listening on' "$work/servers.out" || { echo "the servers did not start" >&2; exit 1; }
cat "$work/servers.out"

say "making a virtual memory card of the HX100 (map 2023.10) as drive V:"
card="$work/card"
mkdir -p "$card/TSKN_Ver_Info" "$card/BackUp" "$card/Orla/MapData"
printf '*|20231015|2023101|HX100|2023.10|1|0|1\n' >"$card/HX100.ver"
printf 'the places the driver saved\n' >"$card/BackUp/my_places.dat"
printf 'an old map\n' >"$card/Orla/MapData/Korea.map"
printf 'V: 2G %s\n' "$card" >"$work/volumes.conf"

# Everything of this run stays in the demo folder: settings, downloads, instances, cards.
export MAPVALE_VIRTUAL_VOLUMES="$work/volumes.conf"
export MAPVALE_SETTINGS_DIR="$work/settings"
export MAPVALE_PROGRAM_FILES="$work/program-files"
export MAPVALE_INSTANCE_SCOPE="mapvale-demo-$$"
export XDG_DATA_HOME="$work/xdg-data"
export XDG_CONFIG_HOME="$work/xdg-config"
program="$work/world/program"
ln -s "$bin/ZipModule" "$program/ZipModule"
common=(--program-folder "$program" --data-folder "$work/data" --user hong --password 1234)

if $windowed; then
    # The demo user's sign-in, remembered and automatic, as the sign-in screen stores it (the
    # password in the program's scrambled form of "hong:1234").
    mkdir -p "$MAPVALE_SETTINGS_DIR"
    printf '%s\n' 'Windows Registry Editor Version 5.00' '' \
        '[Software\VELMORA\TSKN_Waymark+\USER]' '"ID"="hong"' '"INFO"="230A0B171A7C534344"' \
        '"SAVE"=dword:00000001' '"AUTO"=dword:00000001' '"Company"="OV"' \
        >"$MAPVALE_SETTINGS_DIR/user.reg"
fi

say "mapvale-cli status (before)"
"$bin/mapvale-cli" status "${common[@]}"

if $windowed; then
    # The windowed program's folder: its movies and pages from the build, the world's server
    # settings over them, and the programs it starts (the unpacker, itself after an update).
    program="$work/program"
    mkdir -p "$program"
    cp -r "$bin/Info" "$program/"
    cp -r "$work/world/program/Info/." "$program/Info/"
    for name in Mapvale MapvaleTray ZipModule libMapvaleTrayNotice.so; do
        if [[ -e "$bin/$name" ]]; then
            ln -s "$bin/$name" "$program/$name"
        fi
    done
    export MAPVALE_PROGRAM_DIR="$program"
    say "Mapvale on your display (signed in as hong, the HX100 card as drive V:)"
    echo "Choose the HX100 and drive V: if they are not chosen, press the start button, answer"
    echo "the questions and the notice's own button, and close the completion page when it shows."
    "$program/Mapvale" || true
    say "on the card ($card)"
    (cd "$card" && find . -type f -printf '%10s  %P\n' | sort -k2)
    echo "version file: $(head -n 1 "$card/HX100.ver")"
    stop_servers
    say "done; the servers are stopped, the files are in $work"
    exit 0
fi

say "mapvale-cli: updating the card"
start=$SECONDS
"$bin/mapvale-cli" run "${common[@]}" --card V --yes
echo "(the update took $((SECONDS - start)) s)"

say "mapvale-cli status (after)"
"$bin/mapvale-cli" status "${common[@]}"

say "on the card ($card)"
(cd "$card" && find . -type f -printf '%10s  %P\n' | sort -k2)
echo "version file: $(head -n 1 "$card/HX100.ver")"
say "the card's earlier contents, backed up on the PC before the format"
(cd "$work/data/HX100" && find . -path './Backup_*' -type f -printf '%10s  %P\n' | sort -k2)

stop_servers
say "done; the servers are stopped, the files are in $work"
