#!/usr/bin/env bash
# Takes the README's screenshots on a virtual screen: a viewer on the demo home, a filtered
# search, the publish window after a publish, the recents and favorites menu, a topic's chart,
# a viewer asking for a password, and one asking whether to trust a self-signed certificate.
# Writes docs/*.png.
#   scripts/screenshots.sh
set -euo pipefail
cd "$(dirname "$0")/.."
source scripts/common.sh

if [ -z "${VINDLE_SCREENSHOTS_INSIDE:-}" ]; then
    VINDLE_PACKAGES+=(xdotool imagemagick)
    vindle_install_missing
    vindle_build
    VINDLE_SCREENSHOTS_INSIDE=1 exec xvfb-run -a -s "-screen 0 1280x800x24" "$0"
fi

readonly vindle="$PWD/build/src/vindle"
source scripts/demo-broker.sh

# Vindle starts from nothing: no windows to restore, no recents, no stored history.
state=$(mktemp -d -t vindle-shots.XXXXXX)
trap 'cleanup; rm -rf "$state"' EXIT
export XDG_CONFIG_HOME="$state/config" XDG_DATA_HOME="$state/data" XDG_CACHE_HOME="$state/cache"
export XDG_RUNTIME_DIR="$state/runtime"
mkdir -m 700 "$XDG_RUNTIME_DIR"

window_named() {
    local id=""
    for _ in $(seq 100); do
        id=$(xdotool search --onlyvisible --name "$1" 2>/dev/null | head -1) && [ -n "$id" ] && break
        sleep 0.1
    done
    [ -n "$id" ] || { echo "No window named '$1' appeared." >&2; exit 1; }
    echo "$id"
}

keys() {
    xdotool windowactivate --sync "$1" 2>/dev/null || xdotool windowfocus --sync "$1"
    shift
    xdotool key --delay 150 "$@"
}

start_demo_broker
"$vindle" "$DEMO_URL" >"$state/vindle.log" 2>&1 &
vindle_pid=$!

viewer=$(window_named "^$DEMO_URL/\$")
sleep 2
# Expand the Tasmota and Shelly devices and select a JSON topic, so device summaries and a coloured JSON
# value show.
keys "$viewer" Home Down Down Down Down Down asterisk Up Up asterisk Down
# Then a Tasmota sensor's JSON, with one of its older messages opened from the history.
keys "$viewer" ctrl+f
xdotool type --delay 60 "dryer/SENSOR"
keys "$viewer" Return Escape
sleep 5
xdotool mousemove --window "$viewer" 700 437 click 1
sleep 1
import -window "$viewer" docs/viewer.png

# A filtered search: only the matches and the rows above them, every occurrence marked.
keys "$viewer" ctrl+f
xdotool type --delay 60 "temp"
keys "$viewer" Tab Tab space shift+Tab shift+Tab Return
sleep 1.5
import -window "$viewer" docs/search.png
keys "$viewer" ctrl+f Escape

# The garden temperature's chart, once the demo has sent it for a while; then back to its value,
# so the viewers after it open on their values.
keys "$viewer" ctrl+f
xdotool type --delay 60 "garden/temperature"
keys "$viewer" Return Escape
sleep 20
xdotool mousemove --window "$viewer" 740 126 click 1
sleep 1
import -window "$viewer" docs/chart.png
xdotool mousemove --window "$viewer" 683 126 click 1

# A second viewer and a favorite give the recents menu both sections.
keys "$viewer" ctrl+d
"$vindle" "$DEMO_URL/tele"
window_named "^$DEMO_URL/tele\$" >/dev/null

publish="$DEMO_URL/home/kitchen/light/set?value=%7B%22state%22%3A%22ON%22%2C%22brightness%22%3A180%7D&qos=1"
"$vindle" "$publish"
publisher=$(window_named "^Publish to ")
sleep 2
"$vindle" --allow-publish "$publish&publish=1"
# The confirmation fades after a second: format the value and take the picture before that.
xdotool mousemove --window "$publisher" 500 294 click 1
sleep 0.3
import -window "$publisher" docs/publish.png
keys "$publisher" ctrl+w
keys "$(window_named "^$DEMO_URL/tele\$")" ctrl+w

keys "$viewer" alt+f r
sleep 1
import -window root -crop 760x420+100+100 +repage docs/recents.png
keys "$viewer" Escape

# A second broker that wants a password: its viewer asks for one.
login_port=$((${DEMO_URL##*:} + 1))
while port_in_use "$login_port"; do login_port=$((login_port + 1)); done
# mosquitto started as root reads its password file as the user "mosquitto".
chmod 755 "$demo_dir"
mosquitto_passwd -b -c "$demo_dir/passwords" demo demo-password
chmod 644 "$demo_dir/passwords"
printf 'listener %s 127.0.0.1\nallow_anonymous false\npassword_file %s\n' "$login_port" "$demo_dir/passwords" \
    >"$demo_dir/login.conf"
mosquitto -c "$demo_dir/login.conf" >"$demo_dir/login.log" 2>&1 &
demo_pids+=("$!")
for _ in $(seq 50); do port_in_use "$login_port" && break; sleep 0.1; done
"$vindle" "mqtt://demo@127.0.0.1:$login_port/home"
login_viewer=$(window_named "^mqtt://127.0.0.1:$login_port/home\$")
login=$(window_named "^Authentication Required\$")
sleep 0.5
xdotool windowactivate --sync "$login" 2>/dev/null || xdotool windowfocus --sync "$login"
xdotool type --delay 60 "demo-password"
sleep 0.5
# The sheet is a window of its own: take the part of the screen that the viewer covers.
eval "$(xdotool getwindowgeometry --shell "$login_viewer")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/login.png
# Cancelling closes that viewer, so the next one is alone on the screen.
keys "$login" Escape

# A third broker with TLS and a self-signed certificate: its viewer shows the certificate and asks.
tls_port=$((login_port + 1))
while port_in_use "$tls_port"; do tls_port=$((tls_port + 1)); done
openssl req -x509 -newkey ec -pkeyopt ec_paramgen_curve:P-256 -nodes -days 365 -subj /CN=localhost \
    -addext "subjectAltName=DNS:localhost,IP:127.0.0.1" \
    -keyout "$demo_dir/tls.key" -out "$demo_dir/tls.crt" 2>"$demo_dir/openssl.log"
# Read as the user "mosquitto" too; the key is a throwaway made for this picture.
chmod 644 "$demo_dir/tls.key" "$demo_dir/tls.crt"
printf 'listener %s 127.0.0.1\nallow_anonymous true\ncertfile %s\nkeyfile %s\n' "$tls_port" "$demo_dir/tls.crt" \
    "$demo_dir/tls.key" >"$demo_dir/tls.conf"
mosquitto -c "$demo_dir/tls.conf" >"$demo_dir/tls.log" 2>&1 &
demo_pids+=("$!")
for _ in $(seq 50); do port_in_use "$tls_port" && break; sleep 0.1; done
"$vindle" "mqtts://127.0.0.1:$tls_port"
tls_viewer=$(window_named "^mqtts://127.0.0.1:$tls_port/\$")
window_named "^TLS Certificate Error\$" >/dev/null
sleep 0.5
eval "$(xdotool getwindowgeometry --shell "$tls_viewer")"
import -window root -crop "${WIDTH}x${HEIGHT}+${X}+${Y}" +repage docs/tls.png
echo "Wrote docs/viewer.png, docs/search.png, docs/publish.png, docs/recents.png, docs/chart.png, docs/login.png and docs/tls.png"
