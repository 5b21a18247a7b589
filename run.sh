#!/usr/bin/env bash
# Installs what is missing, builds and starts Vindle. Without a URL it starts a local demo
# broker on a free loopback port, fills it with a few live topics and opens Vindle on it.
#   ./run.sh                          demo broker
#   ./run.sh mqtt://broker.local      your broker
set -euo pipefail
cd "$(dirname "$0")"
source scripts/common.sh

vindle_install_missing
vindle_build

port_in_use() { (exec 3<>"/dev/tcp/127.0.0.1/$1") 2>/dev/null; }

start_demo_broker() {
    local port=1883
    while port_in_use "$port"; do port=$((port + 1)); done
    mosquitto -p "$port" >/tmp/vindle-demo-broker.log 2>&1 &
    local broker=$!
    trap 'kill $(jobs -p) 2>/dev/null || true' EXIT
    for _ in $(seq 50); do port_in_use "$port" && break; sleep 0.1; done
    local pub=(mosquitto_pub -h 127.0.0.1 -p "$port")
    "${pub[@]}" -r -t home/livingroom/temperature -m 21.5
    "${pub[@]}" -r -t home/livingroom/light -m ON
    "${pub[@]}" -r -t home/kitchen/sensor -m '{"temperature":22.1,"humidity":48,"battery":97}'
    "${pub[@]}" -r -t tele/plug1/LWT -m Online
    "${pub[@]}" -r -t tele/plug1/STATE -m '{"POWER":"ON"}'
    "${pub[@]}" -r -t tele/plug1/SENSOR -m '{"ENERGY":{"Power":42,"Today":0.31}}'
    ( while sleep 1; do
          "${pub[@]}" -t home/garden/counter -m "$((RANDOM % 100))" || exit 0
      done ) &
    echo "Demo broker (pid $broker) on mqtt://127.0.0.1:$port" >&2
    DEMO_URL="mqtt://127.0.0.1:$port"
}

urls=("$@")
if [ ${#urls[@]} -eq 0 ]; then
    start_demo_broker
    urls=("$DEMO_URL")
fi

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
    echo "No display: running Vindle under xvfb-run." >&2
    xvfb-run -a -s "-screen 0 1280x800x24" build/src/vindle "${urls[@]}"
else
    build/src/vindle "${urls[@]}"
fi
