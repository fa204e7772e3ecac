# Installs the Debian packages that building and testing need, when any is missing.
# Sourced by scripts/test, scripts/run and scripts/fuzz.

kestrune_packages=(
    cmake make g++ pkg-config
    libgtest-dev googletest libbenchmark-dev
    g++-mingw-w64-x86-64-posix
    wine wine64
    xvfb xauth x11-utils imagemagick
    util-linux procps
    python3 python3-yaml python3-jsonschema
)

# clang and its libFuzzer runtime, for scripts/fuzz.
kestrune_fuzz_packages=(clang libclang-rt-dev)

# Installs those of the given packages that are missing.
kestrune_install_missing() {
    local missing=() pkg
    for pkg in "$@"; do
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

kestrune_ensure_packages() {
    kestrune_install_missing "${kestrune_packages[@]}"
}
