#!/bin/sh
# Builds Lexomat from this checkout on Debian 12, installing what is missing.
#   tools/dev.sh start   build and start Lexomat
#   tools/dev.sh test    build and run every test
# Packages are installed with apt-get, through sudo when not run as root.
set -eu

root=$(cd "$(dirname "$0")/.." && pwd)
build="$root/build"
command=${1:-start}

build_packages="cmake ninja-build g++ qt6-base-dev qt6-base-dev-tools libgl-dev fonts-dejavu-core fonts-liberation2"
test_packages="xvfb xauth xdotool imagemagick trayer openbox x11-utils clang libclang-rt-14-dev libbenchmark-dev"

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

configure_and_build() {
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" "$@"
    cmake --build "$build" --parallel "${JOBS:-2}"
}

case "$command" in
start)
    install_missing $build_packages
    configure_and_build
    # Run from a folder of the build tree: the program keeps its dictionary
    # folder in its working directory, and the checkout stays clean.
    mkdir -p "$build/run"
    cd "$build/run"
    exec "$build/app/lexomat"
    ;;
test)
    install_missing $build_packages $test_packages
    configure_and_build -DLEXOMAT_WERROR=ON
    ctest --test-dir "$build" --output-on-failure --timeout 600
    ;;
*)
    echo "usage: $0 start|test" >&2
    exit 2
    ;;
esac
