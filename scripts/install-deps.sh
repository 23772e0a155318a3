#!/usr/bin/env bash
# Installs what Wydenza needs on Debian 12 with apt-get; does nothing for what is already there.
#
# usage: install-deps.sh          what building every format, the package and its manuals and running them need
#        install-deps.sh --tests  that, and what the tests add: test libraries, sanitizers and fuzzers, the format
#                                 check, the hosts and servers they start (Ardour, jalv, JACK, Xvfb) and lintian
set -euo pipefail

build_packages=(
    build-essential cmake ninja-build ccache pkg-config git
    juce-modules-source fst-dev lv2-dev
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxext-dev libxcomposite-dev libasound2-dev libjack-jackd2-dev libgl-dev
    libflac-dev libvorbis-dev libogg-dev libebur128-dev libexpat1-dev
    python3 python3-markdown-it help2man dpkg-dev file
)
test_packages=(
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-roboto-unhinted procps
    clang libclang-rt-14-dev clang-format-14 xdotool x11-utils xsettingsd imagemagick
    jackd2 jalv lilv-utils liblilv-dev lintian man-db desktop-file-utils fakeroot
    ardour audacity qtractor
    parallel ffmpeg
)

packages=("${build_packages[@]}")
case "${1:-}" in
    "") ;;
    --tests) packages+=("${test_packages[@]}") ;;
    *) echo "usage: $0 [--tests]" >&2 && exit 2 ;;
esac

sudo_cmd=()
if [ "$(id -u)" -ne 0 ]; then sudo_cmd=(sudo); fi

missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done

if [ "${#missing[@]}" -gt 0 ]; then
    echo "install-deps: installing ${missing[*]}"
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get update -q
    "${sudo_cmd[@]}" env DEBIAN_FRONTEND=noninteractive apt-get install -y -q --no-install-recommends "${missing[@]}"
else
    echo "install-deps: everything is installed"
fi
