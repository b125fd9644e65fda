# Shared by scripts/run and scripts/test: installs what a fresh Debian
# machine lacks, then configures and builds one preset.
# shellcheck shell=bash

LARKSPUR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# fonts-dejavu-core: a bare machine has no font, and the window would show no text.
LARKSPUR_PACKAGES=(cmake g++ make qt6-base-dev fonts-dejavu-core)

ensure_packages() {
    local missing=()
    local pkg
    for pkg in "${LARKSPUR_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run as root:" >&2
        echo "  apt-get update && apt-get install -y ${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]} ..."
    apt-get update -qq
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
}

# build_preset NAME [clean]
build_preset() {
    local preset="$1"
    cd "$LARKSPUR_ROOT"
    if [ "${2:-}" = clean ]; then
        rm -rf "build/$preset"
    fi
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}
