#!/usr/bin/env bash
# Soaks a Vindle viewer window for MINUTES minutes on a virtual screen: a private mosquitto on a
# free loopback port carries the simulated home (scripts/demo-home.sh) and
# bench_hostile_publisher's stream, and a key press every few seconds walks the outline so the
# value pane shows what arrives. Prints the viewer's resident memory every minute with the
# messages published so far and the GUI thread's share of a core, then the start, peak and end
# memory and the longest time the window did not change. Exits non-zero when the viewer or any
# helper dies, or when the window stays unchanged for a minute of traffic and key presses
# (frozen); ends everything it started on the way out.
#   bench/soak.sh MINUTES [--seed S] [--rate MESSAGES_PER_S] [--large-every N]
# Needs a build with -DVINDLE_BUILD_BENCH=ON in build/ (or VINDLE_BUILD=folder), Xvfb and xdotool.
# SOAK_SCREENSHOT=file.png keeps a picture of the screen at the end.
set -euo pipefail
cd "$(dirname "$0")/.."

usage() {
    echo "Usage: $0 MINUTES [--seed S] [--rate MESSAGES_PER_S] [--large-every N]"
}

[ $# -ge 1 ] && [[ "$1" =~ ^[0-9]+$ ]] && [ "$1" -gt 0 ] || { usage >&2; exit 2; }
readonly minutes=$1
shift
publisher_options=()
while [ $# -gt 0 ]; do
    case "$1" in
        --seed | --rate | --large-every) [ $# -ge 2 ] || { usage >&2; exit 2; }; publisher_options+=("$1" "$2"); shift 2 ;;
        *) usage >&2; exit 2 ;;
    esac
done

build=${VINDLE_BUILD:-build}
[[ "$build" == /* ]] || build="$PWD/$build"
readonly vindle="$build/src/vindle"
readonly publisher="$build/bench/bench_hostile_publisher"
for program in "$vindle" "$publisher"; do
    [ -x "$program" ] || { echo "soak: $program is missing; build with -DVINDLE_BUILD_BENCH=ON" >&2; exit 2; }
done
for tool in Xvfb xdotool import mosquitto; do
    command -v "$tool" >/dev/null || { echo "soak: $tool is not installed" >&2; exit 2; }
done

# The demo broker's start and clean-up; its EXIT trap is replaced by one that also ends ours.
source scripts/demo-broker.sh

work=$(mktemp -d -t vindle-soak.XXXXXX)
helper_pids=()
declare -A helper_name=()
failed=0
soak_cleanup() {
    if [ ${#helper_pids[@]} -gt 0 ]; then
        kill "${helper_pids[@]}" 2>/dev/null || true
        wait "${helper_pids[@]}" 2>/dev/null || true
    fi
    cleanup
    if [ "$failed" -eq 0 ]; then rm -rf "$work"; else echo "soak: logs are kept in $work" >&2; fi
}
trap soak_cleanup EXIT

start_helper() {
    local name=$1
    shift
    "$@" >"$work/$name.log" 2>&1 &
    helper_pids+=("$!")
    helper_name[$!]=$name
}

fail() {
    failed=1
    echo "soak: $*" >&2
    echo "soak: the viewer's last log lines:" >&2
    tail -n 30 "$work/vindle.log" >&2 || true
    exit 1
}

# Xvfb picks a free display itself and writes its number once it accepts clients.
Xvfb -displayfd 3 -screen 0 1280x800x24 -nolisten tcp 3>"$work/display" >"$work/xvfb.log" 2>&1 &
helper_pids+=("$!")
helper_name[$!]=Xvfb
for _ in $(seq 100); do [ -s "$work/display" ] && break; sleep 0.1; done
[ -s "$work/display" ] || fail "Xvfb did not start: $(cat "$work/xvfb.log")"
export DISPLAY=":$(tr -d '\n' <"$work/display")"

start_demo_broker
readonly port=${DEMO_URL##*:}
helper_name[${demo_pids[0]}]=broker
helper_name[${demo_pids[1]}]="demo home"

# A home of its own keeps the user's preferences, recents and Vindle out of the run; without a
# session bus the viewer keeps credentials for the session only.
mkdir -p "$work/home" "$work/runtime"
chmod 700 "$work/runtime"
env HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config" XDG_DATA_HOME="$work/home/.local/share" \
    XDG_CACHE_HOME="$work/home/.cache" XDG_RUNTIME_DIR="$work/runtime" \
    DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" QT_QPA_PLATFORM=xcb \
    "$vindle" --new-instance "$DEMO_URL" >"$work/vindle.log" 2>&1 &
vindle_pid=$!

window=$(timeout 30 xdotool search --sync --onlyvisible --pid "$vindle_pid" 2>/dev/null | head -n 1) || true
[ -n "$window" ] || fail "the viewer showed no window within 30 s"
start_helper hostile "$publisher" --port "$port" "${publisher_options[@]}"

rss_mb() { awk '/^VmRSS:/ { printf "%.1f", $2 / 1024 }' "/proc/$vindle_pid/status"; }
peak_mb() { awk '/^VmHWM:/ { printf "%.1f", $2 / 1024 }' "/proc/$vindle_pid/status"; }
# Clock ticks the viewer's GUI thread (the thread whose id is the process id) has run.
gui_ticks() { awk '{ print $14 + $15 }' "/proc/$vindle_pid/task/$vindle_pid/stat"; }
published() { tail -n 1 "$work/hostile.log" | awk '$1 == "published" { printf "%d messages, %.0f MB", $2, $3 / 1048576 }'; }

check_alive() {
    if ! kill -0 "$vindle_pid" 2>/dev/null; then
        local status=0
        wait "$vindle_pid" || status=$?
        vindle_pid=""
        fail "the viewer died (exit status $status)"
    fi
    local pid
    for pid in "${helper_pids[@]}" "${demo_pids[@]}"; do
        kill -0 "$pid" 2>/dev/null && continue
        fail "the ${helper_name[$pid]} (process $pid) died"
    done
}

# The window changes with every key press and message it shows; one that stays the same while
# both go on is frozen.
readonly frozen_seconds=60
last_picture=""
still_since=$SECONDS
longest_still=0
watch_window() {
    local picture
    picture=$(import -silent -window "$window" rgb:- 2>/dev/null | md5sum) || return 0
    if [ "$picture" != "$last_picture" ]; then
        last_picture=$picture
        still_since=$SECONDS
        return 0
    fi
    local still=$((SECONDS - still_since))
    [ "$still" -le "$longest_still" ] || longest_still=$still
    [ "$still" -lt "$frozen_seconds" ] || fail "the window has not changed for $still s: frozen"
}

# Clicks into the outline once, then walks it: Down every few seconds, now and then Right to
# open the node, and back to the top once in a while.
xdotool mousemove --window "$window" 150 200 click 1 2>/dev/null || true
step=0
walk_outline() {
    local key=Down
    step=$((step + 1))
    if [ $((step % 50)) -eq 0 ]; then key=Home; elif [ $((step % 4)) -eq 0 ]; then key=Right; fi
    xdotool key --clearmodifiers "$key" 2>/dev/null || true
}

readonly ticks_per_second=$(getconf CLK_TCK)
start_rss=$(rss_mb)
echo "soak: viewer (pid $vindle_pid) on $DEMO_URL, display $DISPLAY, $minutes min, logs in $work"
printf 'minute %3d  RSS %8s MB\n' 0 "$start_rss"
for minute in $(seq "$minutes"); do
    ticks_before=$(gui_ticks)
    for second in $(seq 60); do
        sleep 1
        check_alive
        [ $((second % 3)) -ne 0 ] || walk_outline
        [ $((second % 5)) -ne 0 ] || watch_window
    done
    gui_ticks_spent=$(($(gui_ticks) - ticks_before))
    printf 'minute %3d  RSS %8s MB  GUI thread %3d%%  published %s\n' "$minute" "$(rss_mb)" \
        $((gui_ticks_spent * 100 / (60 * ticks_per_second))) "$(published)"
done
[ -z "${SOAK_SCREENSHOT:-}" ] || import -window root "$SOAK_SCREENSHOT" 2>/dev/null || true
echo "soak: RSS start $start_rss MB, peak $(peak_mb) MB, end $(rss_mb) MB; published $(published);" \
    "the window stayed unchanged for at most $longest_still s"
