#!/usr/bin/env bash
# The main job on a fresh Debian 12 machine: install what building and running need (not what only the
# tests need: scripts/run-tests.sh adds that), build every format and the Debian package, install the
# plug-ins for the current user (only while the package is not installed, so that hosts never see two
# copies) and render the built-in demo with the offline renderer.
set -euo pipefail
cd "$(dirname "$0")/.."

bash scripts/install-deps.sh

build_dir="${WYDENZA_BUILD_DIR:-build-release}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DWYDENZA_BUILD_TESTS=OFF -DWYDENZA_BUILD_BENCHMARKS=OFF
cmake --build "$build_dir" --target Wydenza_VST Wydenza_VST3 Wydenza_LV2 Wydenza_Standalone wydenza-render \
      wydenza-package-docs wydenza-vst3-presets -j"$(nproc)"
(cd "$build_dir" && cpack -G DEB > cpack.log) || { cat "$build_dir/cpack.log"; exit 1; }
package="$(sed -n 's/^CPack: - package: \(.*\.deb\) generated\.$/\1/p' "$build_dir/cpack.log")"

artefacts="$build_dir/Wydenza_artefacts/Release"
bash scripts/install-user-plugins.sh "$artefacts"
echo "standalone app: $artefacts/Standalone/Wydenza"
echo "Debian package: $package (install it with: sudo apt install $package)"

"$build_dir/tools/render/wydenza-render" "$@"
