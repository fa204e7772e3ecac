# Installs the Debian packages that building and testing need, when any is missing.
# Sourced by scripts/test and scripts/run.

kestrune_packages=(
    cmake make g++ pkg-config
    libgtest-dev googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix
    wine wine64
    xvfb xauth x11-utils imagemagick
    util-linux procps
    python3
)

kestrune_ensure_packages() {
    local missing=() pkg
    for pkg in "${kestrune_packages[@]}"; do
        if [[ $(dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null) != "install ok installed" ]]; then
            missing+=("$pkg")
        fi
    done
    ((${#missing[@]})) || return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [[ $(id -u) -eq 0 ]] || sudo=(sudo)
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq "${missing[@]}" >/dev/null
}
