#!/usr/bin/env bash
# Looks into the packages scripts/package.sh made: their control data and contents, then unpacks
# both into a temporary root, points its /etc/mapvale/Servers.ini at a demo world served by the
# unpacked mapvale-servers, and has the unpacked /usr/bin/mapvale-cli update a virtual card.
# Usage: scripts/check-package.sh [PACKAGE_FOLDER]   (default build/package)
set -euo pipefail
cd "$(dirname "$0")/.."

folder=${1:-build/package}
shopt -s nullglob
main=("$folder"/mapvale_*.deb)
servers=("$folder"/mapvale-servers_*.deb)
if ((${#main[@]} != 1 || ${#servers[@]} != 1)); then
    echo "check-package: expected one mapvale_*.deb and one mapvale-servers_*.deb in $folder" >&2
    exit 2
fi

say() { printf '\n=== %s\n' "$*"; }

for deb in "${main[0]}" "${servers[0]}"; do
    say "dpkg-deb --info $deb"
    dpkg-deb --info "$deb"
    say "dpkg-deb --contents $deb"
    dpkg-deb --contents "$deb"
done

work=$(mktemp -d)
server_pid=""
finish() {
    if [[ -n "$server_pid" ]] && kill -0 "$server_pid" 2>/dev/null; then
        kill "$server_pid" 2>/dev/null || true
        wait "$server_pid" 2>/dev/null || true
    fi
    rm -rf "$work"
}
trap finish EXIT

say "unpacking both into $work/root"
dpkg-deb -x "${main[0]}" "$work/root"
dpkg-deb -x "${servers[0]}" "$work/root"
usr="$work/root/usr"

"$usr/bin/mapvale-servers" world --out "$work/world" >/dev/null
mkfifo "$work/servers.stdin"
"$usr/bin/mapvale-servers" serve --world "$work/world" --listen 127.0.0.1:0 \
    --traffic-listen 127.0.0.1:0 --stop-on-stdin-eof \
    <"$work/servers.stdin" >"$work/servers.out" 2>"$work/servers.log" &
server_pid=$!
exec 3>"$work/servers.stdin"
for _ in $(seq 300); do
    grep -q '^traffic listening on' "$work/servers.out" && break
    kill -0 "$server_pid" 2>/dev/null || { cat "$work/servers.log" >&2; exit 1; }
    sleep 0.1
done
grep -q '^traffic listening on' "$work/servers.out" || { echo "the servers did not start" >&2; exit 1; }

# The program folder's Servers.ini is a relative link into etc/, which resolves inside the
# unpacked root: the world's hosts go where an administrator would put them. The package list
# the package ships is the default world's, so the card update also proves it.
cp "$work/world/program/Info/Servers.ini" "$work/root/etc/mapvale/Servers.ini"

card="$work/card"
mkdir -p "$card/TSKN_Ver_Info" "$card/BackUp" "$card/Orla/MapData"
printf '*|20231015|2023101|HX100|2023.10|1|0|1\n' >"$card/HX100.ver"
printf 'the places the driver saved\n' >"$card/BackUp/my_places.dat"
printf 'V: 2G %s\n' "$card" >"$work/volumes.conf"

say "the unpacked mapvale-cli updates a virtual card"
MAPVALE_VIRTUAL_VOLUMES="$work/volumes.conf" MAPVALE_SETTINGS_DIR="$work/settings" \
    MAPVALE_PROGRAM_FILES="$work/program-files" MAPVALE_INSTANCE_SCOPE="mapvale-check-$$" \
    XDG_DATA_HOME="$work/xdg-data" XDG_CONFIG_HOME="$work/xdg-config" \
    XDG_CACHE_HOME="$work/xdg-cache" MAPVALE_PROGRAM_DIR="" \
    "$usr/bin/mapvale-cli" run --data-folder "$work/data" --user hong --password 1234 \
    --card V --yes
header=$(head -n 1 "$card/HX100.ver")
echo "version file: $header"
case "$header" in
    "*|20240115|2024012|HX100|"*"|1") echo "check-package: the card is up to date" ;;
    *) echo "check-package: the card was not updated" >&2; exit 1 ;;
esac
