#!/usr/bin/env bash
# Runs the tray agent idle for a while on a virtual X display with a tray host and prints its
# CPU use (share of one core over the run) and its memory (resident set at the end), and checks
# that the web engine is not mapped: it comes only with the first notice. Run by hand.
#
# Usage: bench/tray_idle.sh [program folder] [seconds]
#   program folder  holds MapvaleTray and its notice module (default: build/release/bin)
#   seconds         how long it idles (default: 60)
set -euo pipefail
cd "$(dirname "$0")/.."

program_dir=$(realpath "${1:-build/release/bin}")
seconds=${2:-60}
for tool in "$program_dir/MapvaleTray" xvfb-run trayer; do
    command -v "$tool" >/dev/null || { echo "missing: $tool" >&2; exit 1; }
done

work=$(mktemp -d "${TMPDIR:-/tmp}/tray-idle-XXXXXX")
trap 'rm -rf "$work"' EXIT
mkdir -m 700 "$work/runtime"

cat >"$work/run.sh" <<'INNER'
#!/usr/bin/env bash
set -euo pipefail
program_dir=$1 seconds=$2 work=$3
trayer --edge bottom --align right --widthtype request --height 32 >/dev/null 2>&1 &
tray=$!
"$program_dir/MapvaleTray" >"$work/agent.log" 2>&1 &
agent=$!
sleep 2  # start-up is not idling
ticks=$(getconf CLK_TCK)
cpu() { awk '{print $14 + $15}' "/proc/$agent/stat"; }
start_cpu=$(cpu)
start_time=$(date +%s.%N)
sleep "$seconds"
end_cpu=$(cpu)
end_time=$(date +%s.%N)
rss_kib=$(awk '/^VmRSS:/ {print $2}' "/proc/$agent/status")
engine=$(grep -c 'libQt6WebEngineCore' "/proc/$agent/maps" || true)
kill "$agent" "$tray" 2>/dev/null || true
awk -v c=$((end_cpu - start_cpu)) -v t="$ticks" -v s="$start_time" -v e="$end_time" \
    'BEGIN { printf "cpu: %.3f%% of one core over %.1f s\n", 100 * c / t / (e - s), e - s }'
echo "rss: $((rss_kib / 1024)) MiB ($rss_kib KiB)"
if [[ "$engine" -ne 0 ]]; then
    echo "FAIL: the web engine is mapped before any notice"
    exit 1
fi
echo "web engine: not mapped"
INNER
chmod +x "$work/run.sh"

# Settings, instances and the lock of its own: a running agent of the user is not disturbed.
# Without a session bus Qt embeds the icon in the tray host the X way.
env -u DBUS_SESSION_BUS_ADDRESS MAPVALE_SETTINGS_DIR="$work/settings" \
    MAPVALE_INSTANCE_SCOPE="tray-idle-$$" XDG_RUNTIME_DIR="$work/runtime" QT_QPA_PLATFORM=xcb \
    xvfb-run -a -s "-screen 0 1280x1024x24" "$work/run.sh" "$program_dir" "$seconds" "$work"
