# Shared by scripts/run and scripts/test: installs what a fresh Debian
# machine lacks, then configures and builds one preset.
# shellcheck shell=bash

LARKSPUR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# fonts-dejavu-core: a bare machine has no font, and the window would show no text.
# clang-format: scripts/test checks that every source file is formatted.
LARKSPUR_PACKAGES=(cmake g++ make qt6-base-dev fonts-dejavu-core clang-format)
# What scripts/start-editor needs to show the editor in a browser on a machine
# without a display: an X server that is a VNC server (and its password
# tool), noVNC's page and its WebSocket bridge; iproute2's `ss` for the test
# that checks where they listen. Installed without their recommendations,
# which would bring a desktop's worth of fonts and Mesa's drivers.
LARKSPUR_VIEW_PACKAGES=(tigervnc-standalone-server tigervnc-tools novnc websockify iproute2)

# ensure_packages [--view]: installs what LARKSPUR_PACKAGES (and with --view
# LARKSPUR_VIEW_PACKAGES) lists and the machine lacks, or, when not root,
# prints the line that would.
ensure_packages() {
    install_missing "" "${LARKSPUR_PACKAGES[@]}"
    if [ "${1:-}" = --view ]; then
        install_missing --no-install-recommends "${LARKSPUR_VIEW_PACKAGES[@]}"
    fi
}

# install_missing APT-OPTION PACKAGE...
install_missing() {
    local option="$1"
    shift
    local missing=()
    local pkg
    for pkg in "$@"; do
        dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q "install ok installed" || missing+=("$pkg")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "Missing packages. Run as root:" >&2
        echo "  apt-get update && apt-get install -y $option${option:+ }${missing[*]}" >&2
        exit 1
    fi
    echo "Installing ${missing[*]} ..."
    if [ -z "${LARKSPUR_APT_UPDATED:-}" ]; then
        apt-get update -qq
        LARKSPUR_APT_UPDATED=1
    fi
    # shellcheck disable=SC2086
    DEBIAN_FRONTEND=noninteractive apt-get install -y -qq $option "${missing[@]}" >/dev/null
}

# build_preset NAME [clean]
build_preset() {
    local preset="$1"
    cd "$LARKSPUR_ROOT"
    if [ "${2:-}" = clean ]; then
        rm -rf "build/$preset"
    fi
    echo "Configuring and building build/$preset ..."
    cmake --preset "$preset" >/dev/null
    cmake --build --preset "$preset" -j "$(nproc)"
}

# Fails, naming the files, when a C++ file is not formatted as .clang-format
# says; `clang-format -i FILE` formats one.
check_format() {
    cd "$LARKSPUR_ROOT"
    local files
    if git rev-parse --is-inside-work-tree >/dev/null 2>&1; then
        files=$(git ls-files '*.cpp' '*.h')
    else
        files=$(find . -path ./build -prune -o -path ./bench/data -prune -o -path ./bench/build -prune \
            -o \( -name '*.cpp' -o -name '*.h' \) -print)
    fi
    # shellcheck disable=SC2086
    if ! clang-format --dry-run --Werror $files 2>/dev/null; then
        echo "Not formatted (run clang-format -i on them):" >&2
        for f in $files; do
            clang-format --dry-run --Werror "$f" >/dev/null 2>&1 || echo "  $f" >&2
        done
        exit 1
    fi
}

# Validates the menu entry (a copy with its Exec= path filled in, as
# installing fills it) and the software-centre entry, each with its tool when
# that is installed. The tools are not in LARKSPUR_PACKAGES on purpose: the
# check is worth having where they are, not worth slowing every run for.
check_packaging_files() {
    cd "$LARKSPUR_ROOT"
    local id=org.larkspur.Larkspur
    if command -v desktop-file-validate >/dev/null; then
        local dir status=0
        dir=$(mktemp -d)
        sed 's|@LARKSPUR_EXEC@|/usr/bin/larkspur|' "packaging/$id.desktop.in" >"$dir/$id.desktop"
        desktop-file-validate "$dir/$id.desktop" || status=$?
        rm -rf "$dir"
        if [ "$status" -ne 0 ]; then
            echo "packaging/$id.desktop.in: not a valid desktop entry (see above)" >&2
            exit 1
        fi
    fi
    if command -v appstreamcli >/dev/null; then
        local report
        if ! report=$(appstreamcli validate --no-net "packaging/$id.metainfo.xml" 2>&1); then
            echo "$report" >&2
            exit 1
        fi
    fi
}
