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

source scripts/demo-broker.sh

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
# The demo broker lives as long as this Vindle, so it must not hand its URL to one already running.
instance=()
[ ${#demo_pids[@]} -eq 0 ] || instance=(--new-instance)
# Waiting on a background child lets a signal to this script end Vindle and the demo at once.
"$vindle" "${instance[@]}" "${urls[@]}" &
vindle_pid=$!
wait "$vindle_pid"
