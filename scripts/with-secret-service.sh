#!/usr/bin/env bash
# Runs a command with a private D-Bus session and an unlocked GNOME Keyring in a throw-away
# home, so tests can use a real Secret Service without touching the user's keyring.
#   scripts/with-secret-service.sh COMMAND [ARGS...]
set -euo pipefail
scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
mkdir -m 700 "$scratch/home" "$scratch/runtime"
export HOME="$scratch/home" XDG_RUNTIME_DIR="$scratch/runtime"
dbus-run-session -- bash -c '
    echo -n vindle-tests | gnome-keyring-daemon --unlock --components=secrets >/dev/null 2>&1 || true
    for _ in $(seq 50); do
        dbus-send --session --print-reply --dest=org.freedesktop.DBus /org/freedesktop/DBus \
            org.freedesktop.DBus.NameHasOwner string:org.freedesktop.secrets 2>/dev/null \
            | grep -q "boolean true" && break
        sleep 0.1
    done
    "$@"' bash "$@"
