#!/usr/bin/env bash
# Every test on a fresh Debian 12 machine: install what is needed, check our sources' formatting, build
# the plug-in formats and the tests, and run them all under CTest (GUI and host-loading tests run under
# Xvfb). Then the hardening stages: the unit, widget, editor, robustness and concurrency tests under
# AddressSanitizer with UndefinedBehaviorSanitizer, the concurrency tests under ThreadSanitizer, and a
# short run of each fuzzer.
#
# WYDENZA_FUZZ_SECONDS sets the length of each fuzzer's run (default 60; 0 skips the fuzzers).
set -euo pipefail
cd "$(dirname "$0")/.."
root="$(pwd)"

bash scripts/install-deps.sh --tests

export CCACHE_DIR="${CCACHE_DIR:-$HOME/.cache/ccache}"
# Paths relative to the source tree make cache entries reusable between build folders and clones.
export CCACHE_BASEDIR="$root"
# Sanitizer builds carry line tables; without this their cache entries would be tied to the clone's folder.
export CCACHE_NOHASHDIR=1
jobs="$(nproc)"
fuzz_seconds="${WYDENZA_FUZZ_SECONDS:-60}"
failed=()

stage()
{
    echo
    echo "=================================================================================================="
    echo "== $*"
    echo "=================================================================================================="
}

# The tests get their own throw-away home folder; the real one is never touched.
test_home="$(mktemp -d)"
trap 'rm -rf "$test_home"' EXIT
export HOME="$test_home" XDG_CONFIG_HOME="$test_home/.config"
mkdir -p "$CCACHE_DIR" 2>/dev/null || true

#---------------------------------------------------------------------------------------------------
stage "1/5 Our sources follow .clang-format; the documentation's links hold"
if ! git ls-files -z -- source tests tools benchmarks fuzz | grep -zE '\.(cpp|h)$' \
        | xargs -0 clang-format-14 --dry-run --Werror; then
    echo "-- run clang-format-14 -i on the files above"
    failed+=("formatting")
fi
echo "-- every relative link and image in README.md and docs/ is there"
python3 scripts/check-doc-links.py || failed+=("documentation links")

#---------------------------------------------------------------------------------------------------
stage "2/5 Build and run the whole suite (plug-in formats, unit, widget, host-loading, hardening tests)"
build_dir="${WYDENZA_BUILD_DIR:-build-tests}"
cmake -S . -B "$build_dir" -G Ninja -DCMAKE_BUILD_TYPE=Release \
      -DWYDENZA_BUILD_TESTS=ON -DWYDENZA_BUILD_BENCHMARKS=ON
cmake --build "$build_dir" -j"$jobs"
(cd "$build_dir" && ctest --output-on-failure --timeout 1500) || failed+=("plain test suite")

# Sanitizer builds: only the test targets, optimised lightly with line tables for readable reports.
sanitizer_flags=(-G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo
                 "-DCMAKE_CXX_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG" "-DCMAKE_C_FLAGS_RELWITHDEBINFO=-O1 -g1 -DNDEBUG"
                 -DWYDENZA_BUILD_PLUGINS=OFF -DWYDENZA_BUILD_BENCHMARKS=OFF -DWYDENZA_BUILD_TESTS=ON)

#---------------------------------------------------------------------------------------------------
stage "3/5 Unit, widget, editor, robustness and concurrency tests under AddressSanitizer + UndefinedBehaviorSanitizer"
cmake -S . -B build-asan "${sanitizer_flags[@]}" -DWYDENZA_SANITIZE=address
cmake --build build-asan -j"$jobs" --target wydenza-unit-tests wydenza-widget-tests wydenza-editor-tests \
      wydenza-robustness-tests wydenza-concurrency-tests
export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:strict_string_checks=1:detect_stack_use_after_return=1"
export UBSAN_OPTIONS="print_stacktrace=1:halt_on_error=1"
export LSAN_OPTIONS="suppressions=$root/scripts/sanitizers/lsan.supp:print_suppressions=0"
(cd build-asan && ctest --output-on-failure --timeout 1500 -R '^(unit|widgets|editor|robustness|concurrency)$') \
    || failed+=("tests under ASan+UBSan")

#---------------------------------------------------------------------------------------------------
stage "4/5 Concurrency tests under ThreadSanitizer"
cmake -S . -B build-tsan "${sanitizer_flags[@]}" -DWYDENZA_SANITIZE=thread
cmake --build build-tsan -j"$jobs" --target wydenza-concurrency-tests
export TSAN_OPTIONS="halt_on_error=1:second_deadlock_stack=1:suppressions=$root/scripts/sanitizers/tsan.supp"
(cd build-tsan && ctest --output-on-failure --timeout 1500 -R '^concurrency$') || failed+=("concurrency tests under TSan")

#---------------------------------------------------------------------------------------------------
stage "5/5 Fuzzers (libFuzzer + ASan), ${fuzz_seconds} s each"
if [ "$fuzz_seconds" -gt 0 ]; then
    CC=clang CXX=clang++ cmake -S . -B build-fuzz "${sanitizer_flags[@]}" -DWYDENZA_BUILD_TESTS=OFF -DWYDENZA_FUZZ=ON
    # state-xml reads state chunks without a processor, many times faster than state, which restores each
    # through a whole processor.
    fuzzers=(preset-file state-xml state parameter-text audio-file)
    cmake --build build-fuzz -j"$jobs" --target "${fuzzers[@]/#/wydenza-fuzz-}"
    export ASAN_OPTIONS="detect_leaks=1:abort_on_error=1:quarantine_size_mb=16"
    for name in "${fuzzers[@]}"; do
        # The fuzzer adds what it finds to its corpus: it works on a copy, never on the source tree.
        corpus="$(mktemp -d)"
        cp -r "fuzz/corpus/$name/." "$corpus/"
        echo "-- fuzzer $name"
        if ! (cd "$corpus" && "$root/build-fuzz/fuzz/wydenza-fuzz-$name" -max_total_time="$fuzz_seconds" \
                  -rss_limit_mb=256 -timeout=10 -print_final_stats=1 -artifact_prefix="$corpus/" "$corpus" 2>&1 \
                  | sed -e '/^#[0-9].*\(NEW\|REDUCE\|pulse\)/d'); then
            failed+=("fuzzer $name")
            mkdir -p build-fuzz/artifacts
            cp "$corpus"/crash-* "$corpus"/leak-* "$corpus"/oom-* "$corpus"/timeout-* build-fuzz/artifacts/ 2>/dev/null || true
            echo "-- fuzzer $name failed; the inputs that broke it are in build-fuzz/artifacts:"
            ls build-fuzz/artifacts
        fi
        rm -rf "$corpus"
    done
else
    echo "skipped (WYDENZA_FUZZ_SECONDS=0)"
fi

#---------------------------------------------------------------------------------------------------
stage "Summary"
if [ "${#failed[@]}" -gt 0 ]; then
    printf 'FAILED: %s\n' "${failed[@]}"
    exit 1
fi
echo "All stages passed."
