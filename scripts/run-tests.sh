#!/usr/bin/env bash
# Every test on a fresh Debian 12 machine: install what is needed, build the plug-in formats and the
# tests, and run them all under CTest (GUI and host-loading tests run under Xvfb).
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
build_dir="${WYDENZA_BUILD_DIR:-build-tests}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DWYDENZA_BUILD_TESTS=ON -DWYDENZA_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" -j"$(nproc)"

# The tests get their own throw-away home folder; the real one is never touched.
test_home="$(mktemp -d)"
trap 'rm -rf "$test_home"' EXIT
export HOME="$test_home" XDG_CONFIG_HOME="$test_home/.config"

cd "$build_dir"
ctest --output-on-failure --timeout 1500
