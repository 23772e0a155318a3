#!/usr/bin/env bash
# lv2apply, lilv's own command-line host, renders a stereo file through the built LV2 bundle (one frame
# per block, the way it runs plug-ins); the renderer, the same settings given as the panel shows them,
# must write the identical samples.
# usage: Lv2ApplyTest.sh LV2_BUNDLE RENDERER
set -euo pipefail
bundle="$1" renderer="$2"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export LV2_PATH="$(dirname "$bundle")"

python3 - "$work/in.wav" <<'PY'
import math, struct, sys
rate, frames = 48000, 24000
data = b"".join(struct.pack("<ff", 0.5 * math.sin(2 * math.pi * 60 * i / rate) + 0.2 * math.sin(2 * math.pi * 1000 * i / rate),
                            0.3 * math.sin(2 * math.pi * 440 * i / rate)) for i in range(frames))
header = b"RIFF" + struct.pack("<I", 36 + len(data)) + b"WAVEfmt " + struct.pack("<IHHIIHH", 16, 3, 2, rate, rate * 8, 8, 32)
open(sys.argv[1], "wb").write(header + b"data" + struct.pack("<I", len(data)) + data)
PY

failed=0
# (lv2apply's port values, the renderer's settings) for the same sound
while IFS='|' read -r ports settings; do
    read -ra port_args <<< "$ports"
    read -ra set_args <<< "$settings"
    lv2apply -i "$work/in.wav" -o "$work/lv2.wav" "${port_args[@]}" urn:zelvora:wydenza
    "$renderer" "${set_args[@]}" "$work/in.wav" "$work/render.wav" > /dev/null
    if python3 - "$work/lv2.wav" "$work/render.wav" <<'PY'
import struct, sys
def samples(path):
    b = open(path, "rb").read()
    i = 12
    while i < len(b):
        chunk, size = b[i:i + 4], struct.unpack("<I", b[i + 4:i + 8])[0]
        if chunk == b"data":
            return b[i + 8:i + 8 + size]
        i += 8 + size + (size & 1)
a, b = samples(sys.argv[1]), samples(sys.argv[2])
sys.exit(0 if a == b and len(a) == 24000 * 8 else 1)
PY
    then echo "ok: lv2apply ${ports} writes what the renderer writes for ${settings}"
    else echo "FAILED: lv2apply ${ports} differs from the renderer's ${settings}"; failed=1
    fi
done <<'CASES'
-c StereoWidth 0.75 -c SafeBass 1|--set StereoWidth=150 --set SafeBass=on
-c Pan 0.25 -c SwapLR 1 -c OutputGain 0.25|--set Pan=L50 --set SwapLR=on --set OutputGain=-6
-c Mono 1 -c PhaseFlip 1|--set Mono=on --set PhaseFlip=on
CASES
exit "$failed"
