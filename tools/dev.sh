#!/usr/bin/env bash
# One entry point for a fresh Debian 12 machine:
#   tools/dev.sh run    install what is missing, build the programs, start Vorn on the shipped data
#   tools/dev.sh test   install what is missing, build everything with warnings as errors, run
#                       every test, the checks of the Debian package among them
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
build=${VORN_BUILD_DIR:-$root/build}

packages=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools qt6-qpa-plugins libgl-dev
    libespeak-ng-dev espeak-ng-data libjpeg-dev
    libboost-dev libssl-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    fonts-dejavu-core poppler-utils
    xvfb xauth xdotool openbox python3 python3-pyatspi at-spi2-core dbus dbus-x11
    nginx-light
    scdoc dpkg-dev file lintian desktop-file-utils appstream man-db shared-mime-info
    clang clang-format libclang-rt-14-dev
)

install_missing() {
    local missing=()
    for p in "${packages[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=()
    [ "$(id -u)" -eq 0 ] || sudo=(sudo)
    "${sudo[@]}" apt-get update
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y --no-install-recommends "${missing[@]}"
}

# CMake's default prefix: the package checks show that the package installs under /usr all the same.
configure() {
    cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
}

# Every C++ file as .clang-format has it.
check_format() {
    (cd "$root" && find src tests \( -name '*.cpp' -o -name '*.h' \) -print0 |
        xargs -0 clang-format --dry-run --Werror)
}

# The core and the command-line tools once more, built by clang with AddressSanitizer and
# UndefinedBehaviorSanitizer, their tests run, and every fuzz target run for a short time from its
# seeds. Any report fails the run.
sanitize_and_fuzz() {
    local dir=${VORN_SANITIZE_BUILD_DIR:-$build-sanitize}
    cmake -S "$root" -B "$dir" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
        -DCMAKE_CXX_COMPILER=clang++ -DVORN_FUZZ=ON -DVORN_WERROR=ON -DBUILD_TESTING=ON
    cmake --build "$dir" -j "$(nproc)" --target core_checks
    ASAN_OPTIONS=halt_on_error=1:detect_leaks=1 UBSAN_OPTIONS=halt_on_error=1:print_stacktrace=1 \
        ctest --test-dir "$dir" --output-on-failure --timeout 600 -L 'core|fuzz' -j "$(nproc)"
}

case ${1:-} in
run)
    install_missing
    configure
    cmake --build "$build" -j "$(nproc)" --target vorn vorn-lookup
    if [ -x "$build/vorn-start" ]; then
        exec "$build/vorn-start"
    fi
    echo "Type a call sign or prefix per line (Ctrl-D ends):"
    exec "$build/src/programs/vorn-lookup" -C "$root/files"
    ;;
test)
    install_missing
    check_format
    configure -DVORN_WERROR=ON -DBUILD_TESTING=ON -DVORN_BENCHMARKS=ON
    cmake --build "$build" -j "$(nproc)"
    ctest --test-dir "$build" --output-on-failure --timeout 600
    sanitize_and_fuzz
    ;;
*)
    echo "usage: tools/dev.sh run|test" >&2
    exit 1
    ;;
esac
