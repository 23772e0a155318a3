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

# Best wall time of three runs for each --jobs, with the CPU time the run took: when the machine is busy
# the CPU time tells whether the batch did more work, or only waited for a core.
python3 - "$render" "$jobs" <<'PY'
import glob, os, resource, shutil, subprocess, sys, time
render, jobs = sys.argv[1], sys.argv[2]
files = sorted(glob.glob('in/*.wav'))
audio = 16 * 60.0

def run(n):
    shutil.rmtree('out', ignore_errors=True)
    before = resource.getrusage(resource.RUSAGE_CHILDREN)
    start = time.monotonic()
    subprocess.run([render, '--preset', 'GROUP Stereo 150% + SafeBass', '--jobs', str(n), '--out-dir', 'out'] + files,
                   check=True, stdout=subprocess.DEVNULL, stderr=subprocess.DEVNULL)
    wall = time.monotonic() - start
    after = resource.getrusage(resource.RUSAGE_CHILDREN)
    return wall, (after.ru_utime - before.ru_utime) + (after.ru_stime - before.ru_stime)

print('load average before: %s (%d cores)' % (' '.join(open('/proc/loadavg').read().split()[:3]), os.cpu_count()))
best = {n: min(run(n) for _ in range(3)) for n in ('1', jobs)}
print('load average after:  %s' % ' '.join(open('/proc/loadavg').read().split()[:3]))
for n, (wall, cpu) in best.items():
    print('--jobs %s: %5.2f s wall, %5.2f s CPU for 16 files of 60 s (%.0fx real time)' % (n, wall, cpu, audio / wall))
print('speed-up: %.2fx' % (best['1'][0] / best[jobs][0]))
PY
