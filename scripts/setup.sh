# Shared by scripts/run and scripts/test: installs what a fresh Debian
# machine lacks, then configures and builds one preset.
# shellcheck shell=bash

LARKSPUR_ROOT="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
# fonts-dejavu-core: a bare machine has no font, and the window would show no text.
# clang-format: scripts/test checks that every source file is formatted.
LARKSPUR_PACKAGES=(cmake g++ make qt6-base-dev fonts-dejavu-core clang-format)

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
