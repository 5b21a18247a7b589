#!/usr/bin/env bash
# Fills a broker on this machine with a small simulated home and keeps it alive: sensors and
# switches per room, a couple of devices of every family Vindle recognises, retained status
# topics, and values that drift, count and toggle every few seconds.
#   scripts/demo-home.sh [--ready-file FILE] PORT
# FILE is created once the whole home is on the broker. The script stops by itself when the
# broker goes away or the process that started it ends.
set -euo pipefail

usage() {
    echo "Usage: $0 [--ready-file FILE] PORT"
}

ready_file=""
while [ $# -gt 0 ]; do
    case "$1" in
        --ready-file) [ $# -ge 2 ] || { usage >&2; exit 2; }; ready_file=$2; shift 2 ;;
        -h | --help) usage; exit 0 ;;
        --) shift; break ;;
        -*) echo "demo-home: unknown option '$1'" >&2; usage >&2; exit 2 ;;
        *) break ;;
    esac
done
[ $# -eq 1 ] || { usage >&2; exit 2; }
if ! [[ "$1" =~ ^[0-9]{1,5}$ ]] || [ $((10#$1)) -lt 1 ] || [ $((10#$1)) -gt 65535 ]; then
    echo "demo-home: '$1' is not a port number" >&2
    exit 2
fi
readonly host=127.0.0.1
readonly port=$((10#$1))
readonly parent=$PPID
readonly tick=2

# A pipe nobody writes to: reading it with a time-out sleeps without starting a process, and a
# signal still ends the wait at once.
exec {nap_fd}<> <(:)
nap() { read -r -t "$1" -u "$nap_fd" _ || true; }

broker_up() { (exec 3<>"/dev/tcp/$host/$port") 2>/dev/null; }

stream_pids=()
declare -A stream_fd=()

cleanup() {
    local fd
    for fd in "${stream_fd[@]}"; do exec {fd}>&-; done
    [ ${#stream_pids[@]} -eq 0 ] && return 0
    kill "${stream_pids[@]}" 2>/dev/null || true
    wait "${stream_pids[@]}" 2>/dev/null || true
}
trap cleanup EXIT
trap 'exit 0' INT TERM HUP
# A publisher that died must not kill the script before it can clean up; the write fails instead.
trap '' PIPE

gone() {
    echo "demo-home: the broker on $host:$port went away; stopping." >&2
    exit 0
}

for _ in $(seq 50); do broker_up && break; nap 0.1; done
if ! broker_up; then
    echo "demo-home: no broker answers on $host:$port" >&2
    exit 1
fi

# One short-lived publisher per retained topic, paced so that no more than about twenty
# processes start in a second.
publish() {
    mosquitto_pub -h "$host" -p "$port" -q 1 -r -t "$1" -m "$2" || gone
    nap 0.05
}

# Topics that change get one long-lived publisher each, fed a line per new value, so a change
# costs no process at all.
open_stream() {
    local name=$1 topic=$2 fd
    shift 2
    exec {fd}> >(exec mosquitto_pub -h "$host" -p "$port" "$@" -l -t "$topic" 2>/dev/null)
    stream_pids+=("$!")
    stream_fd[$name]=$fd
}
send() {
    printf '%s\n' "$2" 1>&"${stream_fd[$1]}" 2>/dev/null || {
        echo "demo-home: the publisher of $1 stopped; stopping." >&2
        exit 1
    }
}

# Values in tenths, printed with one decimal into the caller's variable.
# shellcheck disable=SC2034
tenths() {
    local -n tenths_out=$1
    local value=$2 sign=""
    if [ "$value" -lt 0 ]; then sign=-; value=$((-value)); fi
    printf -v tenths_out '%s%d.%d' "$sign" $((value / 10)) $((value % 10))
}
# Moves a value by at most step, kept within [low, high].
drift() {
    local -n drift_value=$1
    local low=$2 high=$3 step=$4
    drift_value=$((drift_value + RANDOM % (2 * step + 1) - step))
    [ "$drift_value" -ge "$low" ] || drift_value=$low
    [ "$drift_value" -le "$high" ] || drift_value=$high
}

readonly plug_fridge=shellies/shellyplug-s-7C87CE1A2B3C
readonly plug_tv=shellies/shellyplug-s-C45BBE6D7E8F
readonly relay_garage=shellies/shelly1-E8DB84A1B2C3
readonly relay_attic=shellies/shelly1-E8DB84D4E5F6
readonly lamp='zigbee2mqtt/Living room lamp'
readonly climate='zigbee2mqtt/Bedroom sensor'

# The live topics, retained except the motion events. Their publishers connect while the
# fixed topics below are published.
open_stream livingroom_temperature home/livingroom/temperature -r
open_stream bedroom_temperature home/bedroom/temperature -r
open_stream garden_temperature home/garden/temperature -r
open_stream kitchen home/kitchen/sensor -r
open_stream co2 home/office/co2 -r
open_stream meter home/energy/meter -r
open_stream uptime home/status/uptime -r
open_stream openings home/hallway/door/openings -r
open_stream motion home/hallway/motion
open_stream fridge "$plug_fridge/relay/0/power" -r
open_stream tv "$plug_tv/relay/0/power" -r
open_stream washer tele/tasmota-washer/SENSOR -r
open_stream dryer tele/tasmota-dryer/SENSOR -r
open_stream lamp "$lamp" -r
open_stream climate "$climate" -r
readonly live_retained=(
    home/livingroom/temperature home/bedroom/temperature home/garden/temperature
    home/kitchen/sensor home/office/co2 home/energy/meter home/status/uptime
    home/hallway/door/openings "$plug_fridge/relay/0/power" "$plug_tv/relay/0/power"
    tele/tasmota-washer/SENSOR tele/tasmota-dryer/SENSOR "$lamp" "$climate"
)

livingroom=214 bedroom=192 garden=63 kitchen=223 kitchen_humidity=48 co2=640
fridge=0 tv=0 washer=0 dryer=0 power=0 total=1234567 uptime=0 openings=17
lamp_on=1 brightness=180 climate_humidity=55 climate_battery=91
round=0

# The values of tick number round; round 0 is the state the home starts in.
advance() {
    uptime=$((round * tick))
    drift livingroom 195 235 1
    drift bedroom 175 215 1
    drift garden 20 95 2
    drift kitchen 200 245 2
    drift kitchen_humidity 40 65 1
    drift co2 420 1400 25
    drift climate_humidity 45 70 1
    # The fridge's compressor runs in cycles; the TV idles at standby power between shows.
    if [ $((round / 10 % 2)) -eq 0 ]; then fridge=$((95 + RANDOM % 20)); else fridge=0; fi
    if [ $((round / 25 % 2)) -eq 1 ]; then tv=$((110 + RANDOM % 15)); else tv=1; fi
    washer=$(((round % 45 < 15) * (1900 + RANDOM % 300) + (round % 45 >= 15) * (150 + RANDOM % 250)))
    dryer=$(((round % 60 < 40) * (2100 + RANDOM % 400)))
    drift brightness 60 254 20
    # The whole house: the plugs plus what runs all the time.
    power=$((fridge + tv + washer + dryer + 85))
    total=$((total + power * tick / 3600 + 1))
    [ "$round" -gt 0 ] || return 0
    if [ $((RANDOM % 4)) -eq 0 ]; then openings=$((openings + 1)); send motion detected; fi
    if [ $((round % 15)) -eq 0 ]; then lamp_on=$((1 - lamp_on)); fi
    if [ $((round % 30)) -eq 0 ] && [ "$climate_battery" -gt 5 ]; then
        climate_battery=$((climate_battery - 1))
    fi
}

send_live() {
    local now temperature
    printf -v now '%(%Y-%m-%dT%H:%M:%S)T' -1
    tenths temperature "$livingroom"; send livingroom_temperature "$temperature"
    tenths temperature "$bedroom"; send bedroom_temperature "$temperature"
    tenths temperature "$garden"; send garden_temperature "$temperature"
    tenths temperature "$kitchen"
    send kitchen "{\"temperature\":$temperature,\"humidity\":$kitchen_humidity,\"battery\":97}"
    send co2 "$co2"
    send meter "{\"power\":$power,\"total_wh\":$total,\"voltage\":$((228 + RANDOM % 5))}"
    send uptime "$uptime"
    send openings "$openings"
    send fridge "$fridge"
    send tv "$tv"
    send washer "{\"Time\":\"$now\",\"ENERGY\":{\"Total\":312.418,\"Today\":0.92,\"Power\":$washer,\"Voltage\":230,\"Current\":$((washer / 23 / 10)).$((washer / 23 % 10))}}"
    send dryer "{\"Time\":\"$now\",\"ENERGY\":{\"Total\":187.035,\"Today\":0.00,\"Power\":$dryer,\"Voltage\":229,\"Current\":$((dryer / 23 / 10)).$((dryer / 23 % 10))}}"
    if [ "$lamp_on" -eq 1 ]; then
        send lamp "{\"state\":\"ON\",\"brightness\":$brightness,\"color_temp\":370,\"linkquality\":120}"
    else
        send lamp "{\"state\":\"OFF\",\"brightness\":$brightness,\"color_temp\":370,\"linkquality\":120}"
    fi
    tenths temperature "$bedroom"
    send climate "{\"temperature\":$temperature,\"humidity\":$climate_humidity,\"battery\":$climate_battery,\"linkquality\":87}"
}

advance
send_live

publish home/livingroom/humidity 44
publish home/livingroom/light ON
publish home/livingroom/window closed
publish home/kitchen/light OFF
publish home/kitchen/dishwasher '{"state":"running","program":"eco","remaining_min":42}'
publish home/bedroom/humidity 52
publish home/bedroom/battery 87
publish home/bedroom/light OFF
publish home/bathroom/humidity 61
publish home/bathroom/fan OFF
publish home/office/light ON
publish home/office/plug ON
publish home/garden/battery 64
publish home/garden/sprinkler OFF
publish home/status/alarm disarmed
publish home/status/presence true
publish home/status/heating '{"mode":"comfort","setpoint":21,"boiler":"on"}'

publish shellies/announce '{"id":"shellyplug-s-7C87CE1A2B3C","model":"SHPLG-S","mac":"7C87CE1A2B3C","new_fw":false,"fw_ver":"20230913-114244/v1.14.0-gcb84623"}'
publish "$plug_fridge/online" true
publish "$plug_fridge/relay/0" on
publish "$plug_fridge/relay/0/energy" 84211
publish "$plug_fridge/temperature" 31.2
publish "$plug_tv/online" true
publish "$plug_tv/relay/0" on
publish "$plug_tv/relay/0/energy" 20466
publish "$plug_tv/temperature" 28.7
publish "$relay_garage/online" true
publish "$relay_garage/relay/0" off
publish "$relay_garage/input/0" 0
publish "$relay_attic/online" false
publish "$relay_attic/relay/0" on
publish "$relay_attic/input/0" 1

publish tele/tasmota-washer/LWT Online
publish tele/tasmota-washer/STATE '{"Time":"2026-12-06T07:12:40","Uptime":"3T02:41:17","Heap":25,"POWER":"ON","Wifi":{"SSId":"home","RSSI":78}}'
publish stat/tasmota-washer/POWER ON
publish tele/tasmota-dryer/LWT Online
publish tele/tasmota-dryer/STATE '{"Time":"2026-12-06T07:12:44","Uptime":"3T02:41:09","Heap":26,"POWER":"ON","Wifi":{"SSId":"home","RSSI":64}}'
publish stat/tasmota-dryer/POWER ON
publish tele/tasmota-hallway/LWT Online
publish tele/tasmota-hallway/STATE '{"Time":"2026-12-06T07:12:51","Uptime":"12T18:03:55","Heap":27,"POWER":"OFF","Wifi":{"SSId":"home","RSSI":82}}'
publish stat/tasmota-hallway/POWER OFF
publish tele/tasmota-porch/LWT Offline
publish tele/tasmota-porch/STATE '{"Time":"2026-12-05T23:40:02","Uptime":"0T04:11:30","Heap":27,"POWER":"ON","Wifi":{"SSId":"home","RSSI":41}}'

publish zigbee2mqtt/bridge/state '{"state":"online"}'
publish "$lamp/availability" online
publish "$climate/availability" '{"state":"online"}'
publish 'zigbee2mqtt/Front door' '{"contact":true,"battery":78,"linkquality":64}'
publish 'zigbee2mqtt/Front door/availability' offline

publish homeassistant/sensor/kitchen_temperature/config '{"name":"Temperature","state_topic":"home/kitchen/sensor","value_template":"{{ value_json.temperature }}","unit_of_measurement":"°C","device_class":"temperature","unique_id":"kitchen_temperature","device":{"identifiers":["kitchen_sensor"],"name":"Kitchen sensor","suggested_area":"Kitchen"}}'
publish homeassistant/sensor/kitchen_humidity/config '{"name":"Humidity","state_topic":"home/kitchen/sensor","value_template":"{{ value_json.humidity }}","unit_of_measurement":"%","device_class":"humidity","unique_id":"kitchen_humidity","device":{"identifiers":["kitchen_sensor"],"name":"Kitchen sensor","suggested_area":"Kitchen"}}'
publish homeassistant/switch/office_plug/config '{"name":"Plug","state_topic":"home/office/plug","command_topic":"home/office/plug/set","payload_on":"ON","payload_off":"OFF","unique_id":"office_plug","device":{"identifiers":["office_plug"],"name":"Office plug"}}'
publish homeassistant/device/garden_station/config '{"device":{"identifiers":["garden_station"],"name":"Garden station","suggested_area":"Garden"},"origin":{"name":"demo-home"},"components":{"garden_temperature":{"platform":"sensor","device_class":"temperature","unit_of_measurement":"°C","state_topic":"home/garden/temperature"}}}'

# The live publishers have had the whole fill to connect. Until the loop below runs each of
# them sends exactly one value, so one message per topic means every value is on the broker.
subscriptions=()
for topic in "${live_retained[@]}"; do subscriptions+=(-t "$topic"); done
if ! mosquitto_sub -h "$host" -p "$port" -W 5 -C "${#live_retained[@]}" \
    "${subscriptions[@]}" >/dev/null 2>&1; then
    broker_up || gone
    echo "demo-home: some live topics are not on the broker yet" >&2
fi
[ -z "$ready_file" ] || : >"$ready_file"

while :; do
    nap "$tick"
    kill -0 "$parent" 2>/dev/null || exit 0
    broker_up || gone
    round=$((round + 1))
    advance
    send_live
done
