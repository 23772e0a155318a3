#!/usr/bin/env bash
# Throughput of a batch render with --jobs 1 against --jobs N (default 2): 16 stereo files of 60 s at
# 48 kHz, 24-bit, through the demo's preset. Prints the best of three runs each, the speed-up and the
# load average before and after, since other work on the machine changes the figures.
#
#   bash benchmarks/render-jobs.sh [path/to/wydenza-render] [N]
set -euo pipefail
render="$(realpath "${1:-build-tests/tools/render/wydenza-render}")"
jobs="${2:-2}"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
# No display: the renderer needs none, and a display server that goes away must not end a run.
unset DISPLAY
mkdir -p "$HOME" "$work/in"
cd "$work"

# Noise at about -18 dBFS: random bytes with the top byte of each 24-bit sample folded into -16..15.
python3 - in <<'PY'
import os, struct, sys
frames = 60 * 48000
fold = bytes(((b & 0x1f) - 16) & 0xff for b in range(256))
for i in range(16):
    data = bytearray(os.urandom(frames * 6))
    data[2::3] = data[2::3].translate(fold)
    fmt = struct.pack('<HHIIHH', 1, 2, 48000, 48000 * 6, 6, 24)
    body = b'WAVE' + b'fmt ' + struct.pack('<I', 16) + fmt + b'data' + struct.pack('<I', len(data)) + bytes(data)
    with open(os.path.join(sys.argv[1], 'take%02d.wav' % i), 'wb') as f:
        f.write(b'RIFF' + struct.pack('<I', len(body)) + body)
PY

best() { # jobs: prints the best wall time of three runs, in seconds
    local fastest=
    for _ in 1 2 3; do
        rm -rf out
        local start end
        start=$(date +%s.%N)
        "$render" --preset "GROUP Stereo 150% + SafeBass" --jobs "$1" --out-dir out in/*.wav >/dev/null 2>&1
        end=$(date +%s.%N)
        fastest=$(python3 -c "import sys; t = $end - $start; print(t if '$fastest' == '' else min(t, float('$fastest')))")
    done
    echo "$fastest"
}

echo "load average before: $(cut -d' ' -f1-3 /proc/loadavg) ($(nproc) cores)"
one=$(best 1)
many=$(best "$jobs")
echo "load average after:  $(cut -d' ' -f1-3 /proc/loadavg)"
python3 - "$one" "$many" "$jobs" <<'PY'
import sys
one, many, jobs = float(sys.argv[1]), float(sys.argv[2]), sys.argv[3]
audio = 16 * 60.0
print('--jobs 1: %6.2f s for 16 files of 60 s (%.0fx real time)' % (one, audio / one))
print('--jobs %s: %6.2f s (%.0fx real time)' % (jobs, many, audio / many))
print('speed-up: %.2fx' % (one / many))
PY
