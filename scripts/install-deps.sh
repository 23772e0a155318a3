#!/usr/bin/env bash
# Installs everything Wydenza needs to build, test and run on Debian 12. Idempotent.
set -euo pipefail

packages=(
    build-essential cmake ninja-build ccache pkg-config git
    juce-modules-source fst-dev
    libfreetype-dev libfontconfig1-dev libx11-dev libxrandr-dev libxinerama-dev libxcursor-dev
    libxext-dev libxcomposite-dev libasound2-dev libjack-jackd2-dev libgl-dev
    libflac-dev libvorbis-dev libogg-dev libebur128-dev
    libgtest-dev libgmock-dev libbenchmark-dev
    xvfb xauth fonts-roboto-unhinted python3 procps
    clang libclang-rt-14-dev clang-format-14 libexpat1-dev xdotool x11-utils xsettingsd imagemagick
    jackd2 jalv lilv-utils liblilv-dev lintian help2man man-db desktop-file-utils dpkg-dev file fakeroot
    ardour
)

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
