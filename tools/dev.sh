#!/bin/sh
# Builds Lexomat from this checkout on Debian 12, installing what is missing.
#   tools/dev.sh start   build and start Lexomat
#   tools/dev.sh test    build and run every test
# Packages are installed with apt-get, through sudo when not run as root.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
command=${1:-start}

build_packages="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libqt6sql6-sqlite libgl-dev fonts-dejavu-core fonts-liberation2 qt6-translations-l10n pkgconf libxcb1-dev qt6-speech-dev qt6-declarative-dev"
# Books (EPUB) are ZIP archives, read through QuaZip.
build_packages="$build_packages libquazip1-qt6-dev"
# The voice of "Произношение": speech-dispatcher with espeak-ng, through Qt's plugin for it.
voice_packages="qt6-speech-speechd-plugin speech-dispatcher-espeak-ng"
# The English-Russian dictionary of the word editor and lexomat-wrd lookup,
# with WordNet's lemmatizer data; zlib reads the compressed dictionary.
dictionary_packages="mueller7-dict wordnet-base zlib1g-dev"
# The file-sync engine that carries the data folder between two computers
# in the two-computer scenario of tests/e2e.
sync_test_packages="syncthing"
test_packages="pulseaudio pulseaudio-utils sox xvfb xauth xdotool imagemagick trayer openbox x11-utils clang libclang-rt-14-dev libbenchmark-dev appstream desktop-file-utils dpkg-dev lintian shared-mime-info man-db weston xwayland qt6-wayland"

install_missing() {
    missing=""
    for package in "$@"; do
        dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "ok installed" || missing="$missing $package"
    done
    [ -z "$missing" ] && return 0
    echo "Installing:$missing"
    if [ "$(id -u)" -eq 0 ]; then sudo=""; else sudo="sudo"; fi
    $sudo apt-get update -q
    DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -q --no-install-recommends $missing
}

# The help file is HTML under the name lexomat.hlp; a MIME rule for the user
# lets the desktop open it in a browser. The installed package brings the
# same rule for everyone.
register_help_type() {
    command -v update-mime-database >/dev/null 2>&1 || return 0
    case ${XDG_DATA_HOME:-} in
    /*) mime="$XDG_DATA_HOME/mime" ;;
    *) mime="$HOME/.local/share/mime" ;;
    esac
    cmp -s "$root/dist/lexomat-mime.xml" "$mime/packages/lexomat.xml" && return 0
    mkdir -p "$mime/packages" &&
        cp "$root/dist/lexomat-mime.xml" "$mime/packages/lexomat.xml" &&
        update-mime-database "$mime" >/dev/null 2>&1 || true
}

configure_and_build() {
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
    cmake --build "$build" --parallel "${JOBS:-2}"
}

case "$command" in
start)
    install_missing $build_packages $voice_packages $dictionary_packages
    configure_and_build
    register_help_type
    # The build tree's launcher gives the first start of an installed Lexomat
    # in build/run: starter dictionaries, help file and settings of its own
    # there, so neither the checkout nor the user's own files are touched.
    exec "$build/dist/lexomat-dev"
    ;;
test)
    install_missing $build_packages $voice_packages $dictionary_packages $test_packages $sync_test_packages
    configure_and_build -DLEXOMAT_WERROR=ON
    ctest --test-dir "$build" --output-on-failure --timeout 600
    ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
