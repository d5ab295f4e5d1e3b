# Shared by run.sh and test.sh: install what is missing, then configure and build.

ZQ_PACKAGES=(
    cmake ninja-build ccache g++ pkg-config
    qtbase5-dev qttools5-dev qttools5-dev-tools
    libboost-dev libboost-thread-dev libboost-date-time-dev libblitz0-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb libjpeg-turbo-progs
)

zq_install_packages() {
    local missing=()
    local package
    for package in "${ZQ_PACKAGES[@]}"; do
        if ! dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q 'install ok installed'; then
            missing+=("$package")
        fi
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    echo "Installing: ${missing[*]}"
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then
        sudo=(sudo)
    fi
    # Set on the command itself: sudo starts apt-get with a clean environment, and a package's
    # configuration questions must not wait for an answer.
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -qq
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive \
        apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# zq_build BUILD_DIR [cmake options...]: configures once, then builds incrementally.
zq_build() {
    local dir="$1"
    shift
    export CCACHE_BASEDIR="${CCACHE_BASEDIR:-$PWD}"
    if [ ! -f "$dir/build.ninja" ]; then
        cmake -S . -B "$dir" -G Ninja "$@"
    else
        cmake "$dir" "$@" >/dev/null
    fi
    cmake --build "$dir" --parallel "$(nproc)"
}
