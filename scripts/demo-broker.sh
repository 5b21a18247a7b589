# Sourced by run.sh and scripts/screenshots.sh from the repository's top folder: a local demo
# broker with the simulated home, and the clean-up that ends it (and Vindle, when vindle_pid is
# set) whenever the sourcing script exits.

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
