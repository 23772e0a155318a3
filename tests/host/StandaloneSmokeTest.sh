#!/usr/bin/env bash
# Starts the standalone app on a virtual display (with no audio device) and checks it is still
# running a few seconds later, then quits it.
set -u
app="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work" XDG_CONFIG_HOME="$work/.config"

xvfb-run -a -s "-screen 0 1280x1024x24" "$app" > "$work/log" 2>&1 &
runner=$!
sleep 5

if ! kill -0 "$runner" 2>/dev/null; then
    wait "$runner"
    echo "the standalone app exited early (status $?):"
    cat "$work/log"
    echo "0 passed, 1 failed"
    exit 1
fi

# Only the app itself: this script's own command line names the app too.
pkill -TERM -f "^$app" 2>/dev/null
wait "$runner" 2>/dev/null
echo "1 passed, 0 failed"
