# Shared set-up for ./run, ./test and ./bench: installs what is missing from the
# distribution's packages (Debian 12 or Ubuntu), then configures and builds.
# Source it; it defines halvorine_setup.

# file: CPack's DEB generator tells executables from other files with it before it
# hands them to dpkg-shlibdeps. appstream: appstreamcli, which checks the metainfo.
# libvlc-bin is only recommended by libvlc5, so --no-install-recommends leaves it out;
# it keeps libVLC's module cache (plugins.dat), without which every libvlc_new opens
# all of VLC's ~400 modules: about 170 ms more at each start of the remote.
HALVORINE_PACKAGES=(
    build-essential cmake pkg-config
    qtbase5-dev qtbase5-dev-tools libqt5x11extras5-dev libxcb-xkb-dev
    libvlc-dev libvlccore-dev libvlc-bin vlc-plugin-base vlc-plugin-video-output
    libavformat-dev libavcodec-dev libavutil-dev
    libgstrtspserver-1.0-dev libgstreamer1.0-dev gstreamer1.0-tools
    gstreamer1.0-plugins-base gstreamer1.0-plugins-good gstreamer1.0-plugins-ugly
    gstreamer1.0-plugins-bad gstreamer1.0-libav gstreamer1.0-x
    libx11-dev xvfb xauth xdotool x11-utils
    libsdl2-dev
    binutils-mingw-w64-x86-64 desktop-file-utils ffmpeg
    file appstream
    nftables  # the dead-camera test drops a peer's packets with it
)

# What the other builds of the CI matrix need on top (tools/ci-matrix.sh): Qt 6 and its
# platform plugins (xcb for the tests under Xvfb, offscreen for the rest). The sanitizer
# build needs nothing more: GCC's ASan and UBSan run-times come with build-essential.
HALVORINE_MATRIX_PACKAGES=(
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins
)

halvorine_missing_packages() {
    local pkg
    for pkg in "$@"; do
        if ! dpkg-query -W -f='${Status}' "$pkg" 2>/dev/null | grep -q 'install ok installed'; then
            printf '%s\n' "$pkg"
        fi
    done
}

halvorine_install_packages() {
    local missing
    mapfile -t missing < <(halvorine_missing_packages "$@")
    [ "${#missing[@]}" -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -ne 0 ] && sudo=(sudo)
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
}

# halvorine_configure DIR [cmake options...]: configures DIR.
halvorine_configure() {
    local dir=$1
    shift
    cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

halvorine_jobs() {
    nproc 2>/dev/null || echo 2
}

# halvorine_build DIR [cmake options...]: configures and builds everything into DIR.
halvorine_build() {
    halvorine_configure "$@"
    cmake --build "$1" -j"$(halvorine_jobs)"
}

# halvorine_setup [extra packages...]: packages, configure, build into ./build.
halvorine_setup() {
    halvorine_install_packages "${HALVORINE_PACKAGES[@]}" "$@"
    # shellcheck disable=SC2086 # HALVORINE_CMAKE_ARGS is a list of words by design
    halvorine_build build ${HALVORINE_CMAKE_ARGS:-}
}

# halvorine_setup_targets TARGET...: packages, configure, and build only TARGETs into
# ./build (./run: the remote's first window should not wait for the test suite).
halvorine_setup_targets() {
    halvorine_install_packages "${HALVORINE_PACKAGES[@]}"
    # shellcheck disable=SC2086 # HALVORINE_CMAKE_ARGS is a list of words by design
    halvorine_configure build ${HALVORINE_CMAKE_ARGS:-}
    cmake --build build -j"$(halvorine_jobs)" --target "$@"
}
