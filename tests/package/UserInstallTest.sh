#!/usr/bin/env bash
# scripts/install-user-plugins.sh against a stub dpkg-query: without the wydenza package it installs the
# plug-ins for the user; with it, it installs none and removes its earlier copies, never other files.
set -u
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-user-plugins.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0 failed=0
check() { if "${@:2}" > /dev/null 2>&1; then passed=$((passed + 1)); else failed=$((failed + 1)) && echo "FAILED: $1"; fi; }

artefacts="$work/artefacts" # each file names itself, so a copy can be told from a stale one
for file in LV2/Wydenza.lv2/manifest.ttl VST3/Wydenza.vst3/Contents/x86_64-linux/Wydenza.so VST/libWydenza.so; do
    mkdir -p "$(dirname "$artefacts/$file")" && echo "built: $file" > "$artefacts/$file"
done
# dpkg-query answers for wydenza only, with the status $STUB_STATUS ("absent": dpkg knows no such package).
# shellcheck disable=SC2016 # the stub's own variables
mkdir -p "$work/bin" && printf '%s\n' '#!/bin/sh' 'for last; do :; done' \
    '[ "$last" = wydenza ] && [ "$STUB_STATUS" != absent ] && printf %s "$STUB_STATUS" || exit 1' > "$work/bin/dpkg-query"
chmod +x "$work/bin/dpkg-query"
run() { STUB_STATUS="$1" PATH="$work/bin:$PATH" bash "$script" "$artefacts"; }

ours=(.lv2/Wydenza.lv2 .vst3/Wydenza.vst3 .vst/Wydenza.so)
built=(LV2/Wydenza.lv2 VST3/Wydenza.vst3 VST/libWydenza.so)
others=(.lv2/Other.lv2/manifest.ttl .vst3/Other.vst3/x.so .vst/Other.so .vst/Wydenza.so.bak .lxvst/Wydenza.so)
# package status | user copies before: none, stale (an older build's) or earlier (this script's) |
# copies after: installed (the build's) or removed | a line the user must read
cases=(
    "absent|none|installed|installed for the current user only (the wydenza package is not installed)"
    "config-files|stale|installed|installed for the current user only"
    "installed|earlier|removed|removed the earlier copy ~/.vst/Wydenza.so"
    "half-configured|stale|removed|removed the earlier copy ~/.lv2/Wydenza.lv2"
    "installed|none|removed|no copies installed for the current user"
)
for row in "${cases[@]}"; do
    IFS='|' read -r status before after message <<< "$row"
    name="package $status, copies $before"
    export HOME="$work/home-$status-$before" XDG_CONFIG_HOME="$work/home-$status-$before/.config"
    for file in "${others[@]}"; do mkdir -p "$(dirname "$HOME/$file")" && echo "other: $file" > "$HOME/$file"; done
    case "$before" in
        stale) mkdir -p "$HOME/${ours[0]}" "$HOME/${ours[1]}" &&
            echo old | tee "$HOME/${ours[0]}/stale" "$HOME/${ours[1]}/stale" "$HOME/${ours[2]}" > /dev/null ;;
        earlier) run absent > /dev/null ;;
    esac
    run "$status" > "$work/out" 2>&1
    check "$name: exits 0" test $? -eq 0
    check "$name: says '$message'" grep -qF -- "$message" "$work/out"
    for i in "${!ours[@]}"; do
        if [ "$after" = installed ]; then
            check "$name: ~/${ours[$i]} is the build's" diff -r "$artefacts/${built[$i]}" "$HOME/${ours[$i]}"
        else
            check "$name: no ~/${ours[$i]}" test ! -e "$HOME/${ours[$i]}"
        fi
    done
    for file in "${others[@]}"; do check "$name: ~/$file untouched" grep -qx "other: $file" "$HOME/$file"; done
    check "$name: no staging folder left" bash -c "! ls -A '$HOME' | grep -q wydenza-install"
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
