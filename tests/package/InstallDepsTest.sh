#!/usr/bin/env bash
# What the main command (scripts/build-and-render.sh) and the test command (scripts/run-tests.sh) ask apt-get
# to install, against a stub dpkg-query and apt-get: the main command asks for what the build needs and for
# nothing that only the tests need; the test command for both; nothing at all once everything is there.
set -u
root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { if "${@:2}" > /dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAILED: $1"; fi; }

# dpkg-query: the packages listed in $STUB_INSTALLED are installed. apt-get: writes the packages it is asked
# to install to $STUB_ASKED, one a line, and then fails, so that the calling script stops before it builds.
# shellcheck disable=SC2016 # the stubs' own variables
mkdir -p "$work/bin" && printf '%s\n' '#!/bin/sh' 'for last; do :; done' \
    'grep -qx "$last" "$STUB_INSTALLED" && printf "install ok installed"' > "$work/bin/dpkg-query"
# shellcheck disable=SC2016
printf '%s\n' '#!/bin/sh' '[ "$1" = update ] && exit 0' 'for p; do case "$p" in -*|install) ;; *) echo "$p";; esac; done > "$STUB_ASKED"' \
    'exit 1' > "$work/bin/apt-get"
printf '%s\n' '#!/bin/sh' 'exec "$@"' > "$work/bin/sudo"
chmod +x "$work/bin/"*

run() # installed-list-file, then the command
{
    rm -f "$work/asked"
    STUB_INSTALLED="$1" STUB_ASKED="$work/asked" PATH="$work/bin:$PATH" HOME="$work" "${@:2}" > "$work/out" 2>&1
    status=$?
    touch "$work/asked"
}
asked() { grep -qx "$1" "$work/asked"; }
not_asked() { ! grep -qx "$1" "$work/asked"; }

# Needed to build every format, the package and its HTML manuals | needed only by the tests (the test using it)
build_needs=(juce-modules-source fst-dev lv2-dev libebur128-dev libexpat1-dev python3-markdown-it help2man dpkg-dev file)
test_only=(ardour jalv jackd2 lilv-utils liblilv-dev xvfb xdotool imagemagick lintian desktop-file-utils
    libgtest-dev libgmock-dev libbenchmark-dev clang libclang-rt-14-dev clang-format-14 fonts-roboto-unhinted)

: > "$work/none"
# command | what it must ask for | what it must not ask for
cases=(
    "bash $root/scripts/build-and-render.sh|build_needs|test_only"
    "bash $root/scripts/run-tests.sh|build_needs test_only|"
)
for row in "${cases[@]}"; do
    IFS='|' read -r command must must_not <<< "$row"
    name="$(basename "${command##* }") on a machine with nothing installed"
    run "$work/none" $command
    for list in $must; do
        declare -n packages="$list"
        for p in "${packages[@]}"; do check "$name: asks for $p" asked "$p"; done
    done
    for list in $must_not; do
        declare -n packages="$list"
        for p in "${packages[@]}"; do check "$name: does not ask for $p" not_asked "$p"; done
    done
    check "$name: stops with an error when apt-get fails" test "$status" -ne 0
done

# Idempotent: with everything it asked for installed, neither mode asks again.
run "$work/none" bash "$root/scripts/install-deps.sh" --tests
cp "$work/asked" "$work/all"
for mode in "" --tests; do
    run "$work/all" bash "$root/scripts/install-deps.sh" $mode
    check "install-deps.sh $mode with everything installed: exits 0" test "$status" -eq 0
    check "install-deps.sh $mode with everything installed: asks for nothing" test ! -s "$work/asked"
done
grep -vx lv2-dev "$work/all" > "$work/all-but-one"
run "$work/all-but-one" bash "$root/scripts/install-deps.sh"
check "install-deps.sh with lv2-dev missing: asks for it alone" test "$(cat "$work/asked")" = lv2-dev
run "$work/none" bash "$root/scripts/install-deps.sh" --all
check "install-deps.sh --all: refused, nothing asked" test "$status" -eq 2 -a ! -s "$work/asked"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
