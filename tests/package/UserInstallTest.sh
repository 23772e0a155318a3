#!/usr/bin/env bash
# scripts/install-user-plugins.sh against a stub dpkg-query: without the wydenza package it installs the
# plug-ins for the user; with the package it installs none and removes the copies it made before. Files
# of other plug-ins in the same folders are never touched.
set -u
script="$(cd "$(dirname "$0")/../.." && pwd)/scripts/install-user-plugins.sh"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
passed=0 failed=0

check() # what, then a command that succeeds when it holds
{
    local what="$1"
    shift
    if "$@" > /dev/null 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1)) && echo "FAILED: $what"
    fi
}

# A build's artefacts, each file naming itself so that a copy can be told from a stale one.
artefacts="$work/artefacts"
for file in LV2/Wydenza.lv2/manifest.ttl LV2/Wydenza.lv2/libWydenza.so VST3/Wydenza.vst3/Contents/x86_64-linux/Wydenza.so \
    VST/libWydenza.so; do
    mkdir -p "$(dirname "$artefacts/$file")" && echo "new build: $file" > "$artefacts/$file"
done

# dpkg-query answers for wydenza only, with the status in $STUB_STATUS ("absent": no such package).
mkdir -p "$work/bin"
cat > "$work/bin/dpkg-query" << 'EOF'
#!/bin/sh
for last; do :; done
[ "$last" = wydenza ] && [ "$STUB_STATUS" != absent ] || { echo "dpkg-query: no packages found matching $last" >&2; exit 1; }
printf '%s' "$STUB_STATUS"
EOF
chmod +x "$work/bin/dpkg-query"

ours=(.lv2/Wydenza.lv2 .vst3/Wydenza.vst3 .vst/Wydenza.so)
built=(LV2/Wydenza.lv2 VST3/Wydenza.vst3 VST/libWydenza.so)
others=(.lv2/Other.lv2/manifest.ttl .vst3/Other.vst3/Contents/x86_64-linux/Other.so .vst/Other.so .vst/Wydenza.so.bak
    .lxvst/Wydenza.so)

# package status | user copies before: none, stale (an older build) or earlier (made by this script) |
# after: installed (the build's copies) or removed | a line the user must read
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
    export HOME="$work/home-${status}-$before" XDG_CONFIG_HOME="$work/home-${status}-$before/.config"
    for file in "${others[@]}"; do mkdir -p "$(dirname "$HOME/$file")" && echo "not ours: $file" > "$HOME/$file"; done
    case "$before" in
        stale) mkdir -p "$HOME/${ours[0]}" "$HOME/${ours[1]}" && echo old | tee "$HOME/${ours[0]}/stale" "$HOME/${ours[1]}/stale" "$HOME/${ours[2]}" > /dev/null ;;
        earlier) STUB_STATUS=absent PATH="$work/bin:$PATH" bash "$script" "$artefacts" > /dev/null ;;
    esac

    STUB_STATUS="$status" PATH="$work/bin:$PATH" bash "$script" "$artefacts" > "$work/out" 2>&1
    check "$name: exits 0" test $? -eq 0
    check "$name: says '$message'" grep -qF -- "$message" "$work/out"
    for i in "${!ours[@]}"; do
        if [ "$after" = installed ]; then
            check "$name: ~/${ours[$i]} is the build's" diff -r "$artefacts/${built[$i]}" "$HOME/${ours[$i]}"
        else
            check "$name: no ~/${ours[$i]}" test ! -e "$HOME/${ours[$i]}"
        fi
    done
    for file in "${others[@]}"; do
        check "$name: ~/$file untouched" grep -qx "not ours: $file" "$HOME/$file"
    done
    check "$name: nothing left of the staging" bash -c "! ls -A '$HOME' | grep -q wydenza-install"
done

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
