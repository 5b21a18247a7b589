# Shared by run.sh and test.sh: install what is missing, then configure and build incrementally.
# Source it from the repository's top folder.

VINDLE_PACKAGES=(
    cmake g++ ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-svg-dev libqcustomplot-dev
    libmosquitto-dev libssl-dev openssl mosquitto mosquitto-clients
    libsecret-1-dev gnome-keyring dbus
    libsimdjson-dev
    libgtest-dev libgmock-dev
    xvfb xauth
)

vindle_install_missing() {
    local missing=()
    local package
    for package in "${VINDLE_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" \
            || missing+=("$package")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update -q
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# vindle_build [folder [cmake options...]]: the normal build in build/, or another one.
vindle_build() {
    local folder=${1:-build}
    shift || true
    if [ ! -f "$folder/CMakeCache.txt" ]; then
        cmake -S . -B "$folder" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
    fi
    cmake --build "$folder" -j"$(nproc)"
}
