#!/usr/bin/env bash
# Installs the Debian packages that building, testing and running Zemlo need.
# Idempotent: it asks apt only for what is missing, and prints nothing when all is there.
set -euo pipefail

packages=(
    # build
    cmake g++ make pkg-config git
    qt6-base-dev qt6-svg-dev qt6-serialport-dev libfontconfig-dev
    libfluidsynth-dev libemf2svg-dev libwmf-dev zlib1g-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    # lrelease compiles the English catalogue; lupdate checks it against the code in a test
    qt6-l10n-tools
    # fuzzing and sanitizer builds
    clang libclang-rt-14-dev
    # run: what the libraries load at run time and only recommend, installed here since apt
    # runs without recommends. The General MIDI sound font for the melody player, a font with
    # Chinese glyphs, and the Type 1 fonts the WMF reader draws text with (it does not start
    # without them).
    timgm6mb-soundfont fonts-wqy-microhei fonts-urw-base35
    # Qt's own texts (a text box's context menu) in Chinese while the window speaks Chinese
    qt6-translations-l10n
    # tests and screenshots; the screen reader's view of the window over AT-SPI
    xvfb xauth python3 python3-pyatspi at-spi2-core dbus-daemon
    # benchmarks: djpeg, the JPEG library's own decoder that the picture conversion is timed against
    libjpeg-turbo-progs
    # make package: dpkg-shlibdeps finds the libraries' packages, file finds the binaries
    dpkg-dev file
    # install test: desktop entry and metainfo validators, manual page renderer
    desktop-file-utils appstream groff-base
    # the libraries for Windows (make windows), cross-built with mingw-w64 in its POSIX thread
    # model, and Wine, which runs their tests (docs/windows.md)
    g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix wine wine64
)

missing=()
for p in "${packages[@]}"; do
    if ! dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed'; then
        missing+=("$p")
    fi
done
[ ${#missing[@]} -eq 0 ] && exit 0

sudo=""
if [ "$(id -u)" -ne 0 ]; then
    sudo="sudo"
fi
echo "install-deps: installing ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
$sudo apt-get update -qq
$sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
