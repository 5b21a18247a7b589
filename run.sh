#!/usr/bin/env bash
# Installs what is missing, builds and starts Vindle. Without a URL it starts a local demo
# broker on a free loopback port, fills it with a simulated home and opens Vindle on it.
# Without a display it prints the broker's tree instead of opening a window.
#   ./run.sh                          demo broker
#   ./run.sh mqtt://broker.local      your broker
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

vindle_install_missing
vindle_build

readonly vindle="$PWD/build/src/vindle"

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

demo_dir=""
demo_pids=()
vindle_pid=""
cleanup() {
    local pids=("${demo_pids[@]}")
    [ -z "$vindle_pid" ] || pids=("$vindle_pid" "${pids[@]}")
    if [ ${#pids[@]} -gt 0 ]; then
        kill "${pids[@]}" 2>/dev/null || true
        wait "${pids[@]}" 2>/dev/null || true
    fi
    [ -z "$demo_dir" ] || rm -rf "$demo_dir"
}
trap cleanup EXIT
trap 'exit 130' INT
trap 'exit 143' TERM HUP

start_demo_broker() {
    local port=1883
    while port_in_use "$port"; do port=$((port + 1)); done
    demo_dir=$(mktemp -d -t vindle-demo.XXXXXX)
    mosquitto -p "$port" >"$demo_dir/broker.log" 2>&1 &
    demo_pids+=("$!")
    for _ in $(seq 50); do port_in_use "$port" && break; sleep 0.1; done
    if ! port_in_use "$port"; then
        echo "The demo broker did not start on port $port:" >&2
        cat "$demo_dir/broker.log" >&2
        exit 1
    fi
    scripts/demo-home.sh --ready-file "$demo_dir/ready" "$port" &
    demo_pids+=("$!")
    # The home takes a few seconds to fill; a tree printed earlier would miss most of it.
    while [ ! -e "$demo_dir/ready" ]; do
        kill -0 "${demo_pids[1]}" 2>/dev/null || { echo "The simulated home stopped." >&2; exit 1; }
        sleep 0.2
    done
    DEMO_URL="mqtt://127.0.0.1:$port"
}

# Lets the desktop open mqtt:// and mqtts:// links with this build. Every tool involved is
# optional: without them the links just stay unhandled.
register_scheme_handler() {
    local data_home=${XDG_DATA_HOME:-${HOME:+$HOME/.local/share}}
    [ -n "$data_home" ] || return 0
    local applications="$data_home/applications"
    local exec_path=$vindle line
    # Inside a quoted Exec argument these four characters need a backslash, the key file
    # doubles every backslash once more, and a percent sign that is no field code is doubled.
    exec_path=${exec_path//\\/\\\\}
    exec_path=${exec_path//\"/\\\"}
    exec_path=${exec_path//\`/\\\`}
    exec_path=${exec_path//\$/\\\$}
    exec_path=${exec_path//\\/\\\\}
    exec_path=${exec_path//%/%%}
    local entry="$applications/vindle.desktop"
    mkdir -p "$applications" 2>/dev/null || return 0
    if ! {
        while IFS= read -r line; do
            case "$line" in
                Exec=*) echo "Exec=\"$exec_path\" %U" ;;
                Icon=*) echo "Icon=$PWD/resources/icons/vindle.svg" ;;
                *) echo "$line" ;;
            esac
        done <resources/vindle.desktop >"$entry.tmp" && mv -f "$entry.tmp" "$entry"
    } 2>/dev/null; then
        rm -f "$entry.tmp" 2>/dev/null
        return 0
    fi
    if command -v xdg-mime >/dev/null; then
        xdg-mime default vindle.desktop x-scheme-handler/mqtt >/dev/null 2>&1 || true
        xdg-mime default vindle.desktop x-scheme-handler/mqtts >/dev/null 2>&1 || true
    fi
    if command -v update-desktop-database >/dev/null; then
        update-desktop-database "$applications" >/dev/null 2>&1 || true
    fi
}

register_scheme_handler

urls=("$@")
if [ ${#urls[@]} -eq 0 ]; then
    start_demo_broker
    urls=("$DEMO_URL")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: printing the tree of ${urls[*]} with vindle --dump instead (run under xvfb-run to see the window)."
    status=0
    for url in "${urls[@]}"; do
        "$vindle" --dump --quiet-ms 500 --timeout 5 "$url" || status=$?
    done
    exit "$status"
fi

[ ${#demo_pids[@]} -eq 0 ] || echo "Demo broker with a simulated home on ${urls[0]}" >&2
# Waiting on a background child lets a signal to this script end Vindle and the demo at once.
"$vindle" "${urls[@]}" &
vindle_pid=$!
wait "$vindle_pid"
