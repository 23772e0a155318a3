#!/usr/bin/env bash
# Runs wydenza-render the way a user does and checks what it says, what it exits with and what it writes.
set -uo pipefail
render="$1"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
cd "$work"

failures=0
passes=0
check() { # description, condition-command...
    local what="$1"; shift
    if "$@"; then passes=$((passes + 1)); else failures=$((failures + 1)); echo "FAILED: $what"; fi
}
expect_failure() { # description, expected message part, renderer arguments...
    local what="$1" message="$2"; shift 2
    local out
    out="$("$render" "$@" 2>&1)"
    local rc=$?
    check "$what exits non-zero" test "$rc" -ne 0
    check "$what says '$message'" grep -q -- "$message" <<<"$out"
}

# wav-tool: writes a mono test file and compares two 24-bit WAV files sample by sample.
cat > wavtool.py <<'PY'
import sys, wave, struct, math
def frames(path):
    w = wave.open(path, 'rb')
    n, ch, width = w.getnframes(), w.getnchannels(), w.getsampwidth()
    data = w.readframes(n)
    assert width == 3, width
    vals = [int.from_bytes(data[i:i+3], 'little', signed=True) for i in range(0, len(data), 3)]
    return ch, w.getframerate(), vals
if sys.argv[1] == 'mono':
    w = wave.open(sys.argv[2], 'wb'); w.setnchannels(1); w.setsampwidth(2); w.setframerate(44100)
    w.writeframes(b''.join(struct.pack('<h', int(8000 * math.sin(i / 10))) for i in range(4410))); w.close()
elif sys.argv[1] == 'maxdiff':
    a, b = frames(sys.argv[2]), frames(sys.argv[3])
    assert a[0] == b[0] and a[1] == b[1] and len(a[2]) == len(b[2]), 'shape differs'
    print(max(abs(x - y) for x, y in zip(a[2], b[2])))
elif sys.argv[1] == 'channels':
    print(frames(sys.argv[2])[0])
elif sys.argv[1] == 'sidelevel':
    ch, rate, v = frames(sys.argv[2])
    print(sum(abs(v[i + 1] - v[i]) for i in range(0, len(v), 2)))
elif sys.argv[1] == 'stereo':  # path, bytes per sample, kind: mix, identical, silence or leftonly
    path, width, kind = sys.argv[2], int(sys.argv[3]), sys.argv[4]
    full = (1 << (8 * width - 1)) - 1
    w = wave.open(path, 'wb'); w.setnchannels(2); w.setsampwidth(width); w.setframerate(44100)
    out = bytearray()
    for i in range(44100):
        a, b = 0.4 * math.sin(i * 0.0627), 0.3 * math.sin(i * 0.2111)
        l, r = {'mix': (a + b, a - 0.5 * b), 'identical': (a, a), 'silence': (0, 0), 'leftonly': (a, 0)}[kind]
        for x in (l, r):
            out += int(round(x * full)).to_bytes(width, 'little', signed=True)
    w.writeframes(bytes(out)); w.close()
elif sys.argv[1] == 'info':  # prints the container and its bit depth ("32f" for float WAV)
    data = open(sys.argv[2], 'rb').read()
    if data[:4] == b'RIFF' and data[8:12] == b'WAVE':
        pos = 12
        while data[pos:pos + 4] != b'fmt ':
            pos += 8 + struct.unpack('<I', data[pos + 4:pos + 8])[0]
        tag, bits = struct.unpack('<H', data[pos + 8:pos + 10])[0], struct.unpack('<H', data[pos + 22:pos + 24])[0]
        if tag == 0xFFFE:
            tag = struct.unpack('<H', data[pos + 32:pos + 34])[0]
        print('WAV', '32f' if tag == 3 else bits)
    elif data[:4] == b'fLaC':
        print('FLAC', ((int.from_bytes(data[18:22], 'big') >> 4) & 0x1f) + 1)
    elif data[:4] == b'FORM' and data[8:12] in (b'AIFF', b'AIFC'):
        pos = 12
        while data[pos:pos + 4] != b'COMM':
            size = struct.unpack('>I', data[pos + 4:pos + 8])[0]
            pos += 8 + size + (size & 1)
        print('AIFF', struct.unpack('>H', data[pos + 14:pos + 16])[0])
    else:
        print('unknown')
elif sys.argv[1] == 'awkward':  # path, kind: writes the bytes of a file no ordinary writer makes
    path, kind = sys.argv[2], sys.argv[3]
    def wav(frames, bits, tag=1, claim=None, chunk=b'', riff=b'RIFF', riffsize=None, datafirst=False):
        width = bits // 8
        data = b''.join(int(v).to_bytes(width, 'little', signed=bits > 8) if tag == 1 else struct.pack('<f' if bits == 32 else '<d', v) for f in frames for v in f)
        fmt = b'fmt ' + struct.pack('<I', 16) + struct.pack('<HHIIHH', tag, 2, 48000, 48000 * 2 * width, 2 * width, bits)
        data = b'data' + struct.pack('<I', len(data) if claim is None else claim) + data
        body = b'WAVE' + (data + chunk + fmt if datafirst else fmt + chunk + data)
        open(path, 'wb').write(riff + struct.pack('<I', len(body) if riffsize is None else riffsize) + body)
    r = [((i * 7919) % 4001 - 2000, (i * 104729) % 4001 - 2000) for i in range(1000)]
    n16 = [(a * 32767 // 2000, b * 32767 // 2000) for a, b in r] + [(32767, -32768), (1, -1)]  # the frames of null16
    if kind == 'null32f': wav([(a / 2048.0, b / 3000.0) for a, b in r] + [(1.0, -1.0), (1e-30, -2.5)], 32, tag=3)
    elif kind.startswith('null'):  # null8, null16, null24, null32: every step of the grid, full scale included
        bits = int(kind[4:]); top = (1 << (bits - 1)) - 1
        frames = [(a * top // 2000, b * top // 2000) for a, b in r] + [(top, -top - 1), (1, -1)]
        if bits == 8: frames = [(a + 128, b + 128) for a, b in frames]
        if bits == 32: frames = [(a >> 8 << 8, b >> 8 << 8) for a, b in frames] + [(12345, -7)]
        wav(frames, bits)
    elif kind == 'one16384': wav([(16384, -16384)], 16)
    elif kind == 'nonfinite': wav([(float('nan') if i % 100 == 0 else 0.5 * math.sin(i / 7), float('inf') if i % 250 == 0 else 0.5 * math.sin(i / 7)) for i in range(1000)], 32, tag=3)
    elif kind == 'cutshort': wav(r[:993], 16, claim=4000, chunk=b'LIST' + struct.pack('<I', 12) + b'INFOjunkjunk')
    elif kind == 'nopad': wav(n16, 16, chunk=b'junk' + struct.pack('<I', 3) + b'abc')  # odd chunk, no pad byte
    elif kind == 'datafirst': wav(n16, 16, datafirst=True)
    elif kind == 'stream0': wav(n16, 16, claim=0, riffsize=0)
    elif kind == 'streamff': wav(n16, 16, claim=0xffffffff, riffsize=0xffffffff)
    elif kind == 'float64': wav([(a / 4096.0, b / 4096.0) for a, b in r], 64, tag=3)
    elif kind == 'mulaw': wav([(a & 0x7f, b & 0x7f) for a, b in r], 8, tag=7)
    elif kind == 'adpcm': wav([(a & 0x7f, b & 0x7f) for a, b in r], 8, tag=2)
    elif kind == 'rifx': wav(r, 16, riff=b'RIFX')
    elif kind == 'antiphase':  # opposite channels over a quiet common part with bursts: its mono is quiet but peaky
        common = [0.05 * math.sin(i * 0.31) * (1 if (i // 4800) % 10 == 0 else 0.05) for i in range(96000)]
        wav([(int(32000 * (0.9 * math.sin(i * 0.05) + c)), int(32000 * (-0.9 * math.sin(i * 0.05) + c))) for i, c in enumerate(common)], 16)
    elif kind == 'loud': wav([(int(7900000 * math.sin(i / 9)), int(7900000 * math.sin(i / 13))) for i in range(4800)], 24)
elif sys.argv[1] == 'samples':  # prints every sample of a WAV or AIFF as a number
    data = open(sys.argv[2], 'rb').read()
    big = data[:4] == b'FORM'
    pos, fmt = 12, None
    while pos + 8 <= len(data):
        cid, size = data[pos:pos + 4], struct.unpack('>I' if big else '<I', data[pos + 4:pos + 8])[0]
        if cid == b'fmt ': tag, bits = struct.unpack('<H', data[pos + 8:pos + 10])[0], struct.unpack('<H', data[pos + 22:pos + 24])[0]; fmt = (tag in (3,) or (tag == 0xfffe and data[pos + 32] == 3), bits)
        if cid == b'COMM': fmt = (False, struct.unpack('>H', data[pos + 14:pos + 16])[0])
        if cid in (b'data', b'SSND'):
            raw = data[pos + 8 + (8 if big else 0):pos + 8 + size]; break
        pos += 8 + size + (size & 1)
    isfloat, bits = fmt; w = bits // 8
    if isfloat: vals = struct.unpack('<%df' % (len(raw) // 4), raw[:len(raw) // 4 * 4])
    else: vals = [int.from_bytes(raw[i:i + w], 'big' if big else 'little', signed=bits > 8) for i in range(0, len(raw) - w + 1, w)]
    print(' '.join(repr(v) for v in vals))
elif sys.argv[1] == 'pngsize':
    data = open(sys.argv[2], 'rb').read(24)
    assert data[:8] == b'\x89PNG\r\n\x1a\n', 'not a PNG'
    print('%dx%d' % struct.unpack('>II', data[16:24]))
PY

# The built-in demo.
out="$("$render" 2>&1)"; rc=$?
check "demo render exits 0" test "$rc" -eq 0
check "demo render writes wydenza-demo.wav" test -s wydenza-demo.wav
check "demo render names the default preset" grep -q "GROUP Stereo 150% + SafeBass" <<<"$out"
check "demo render prints peaks per channel" grep -q "output peak  L .* dBFS   R .* dBFS" <<<"$out"
check "demo is stereo 24-bit" test "$(python3 wavtool.py channels wydenza-demo.wav)" = 2

# Defaults pass the signal through within the last bit of 24-bit audio, in the input's format.
cp wydenza-demo.wav input.wav
"$render" --preset Init input.wav same.wav >/dev/null 2>&1
check "Init preset is transparent" test "$(python3 wavtool.py maxdiff input.wav same.wav)" -eq 0

# Width 0 makes the output mono; width 200 % makes the side louder than the input's.
"$render" --set StereoWidth=0 input.wav mono.wav >/dev/null 2>&1
check "width 0 gives a mono file" test "$(python3 wavtool.py sidelevel mono.wav)" -le "$(( $(python3 wavtool.py sidelevel input.wav) / 1000 ))"
"$render" --set StereoWidth=200 input.wav wide.wav >/dev/null 2>&1
check "width 200 widens" test "$(python3 wavtool.py sidelevel wide.wav)" -gt "$(python3 wavtool.py sidelevel input.wav)"

# Presets: the factory list first, in the navigation order.
list="$("$render" --list-presets)"
check "fourteen factory presets listed" test "$(wc -l <<<"$list")" -eq 14
check "the list starts with Init" test "$(head -n 1 <<<"$list")" = "Init"

# Errors are clear and leave no output behind.
python3 wavtool.py mono mono-in.wav
expect_failure "a mono input" "needs stereo" mono-in.wav out1.wav
check "no output for a mono input" test ! -e out1.wav
expect_failure "an unknown parameter" "unknown parameter 'Foo'" --set Foo=1 input.wav out2.wav
expect_failure "a bad width" "bad value 'abc' for StereoWidth" --set StereoWidth=abc input.wav out3.wav
expect_failure "a gain beyond its range" "bad value '30' for InputGain" --set InputGain=30 input.wav out8.wav
expect_failure "a switch out of range" "bad value '2' for SafeBass" --set SafeBass=2 input.wav out4.wav
expect_failure "an unknown preset" "unknown preset 'Nope'" --preset Nope input.wav out5.wav
expect_failure "a missing input" "no such file" missing.wav out6.wav
printf 'not audio' > junk.wav
expect_failure "a file that is not audio" "not a WAV, FLAC, AIFF or Ogg Vorbis file" junk.wav out7.wav

before="$(md5sum < input.wav)"
expect_failure "writing over the input" "would overwrite the input" input.wav input.wav
ln -s input.wav link.wav
expect_failure "writing over the input through a link" "would overwrite the input" input.wav link.wav
check "the input is untouched" test "$(md5sum < input.wav)" = "$before"
cp input.wav input-named.png
expect_failure "an analysis plot over its input" "the plot would overwrite the input" --analyze --plot input-named.png input-named.png
check "the analysed input is untouched" test "$(md5sum < input-named.png)" = "$before"

#---------------------------------------------------------------------------------------------------
# Output format and bit depth. Inputs: 16 and 24-bit WAV from Python, 32-bit float WAV from the renderer.
python3 wavtool.py stereo in16.wav 2 mix
python3 wavtool.py stereo in24.wav 3 mix
"$render" --preset Init --bits 32f in24.wav in32f.wav >/dev/null 2>&1
check "--bits 32f writes float WAV" test "$(python3 wavtool.py info in32f.wav)" = "WAV 32f"

# input, OUT, --bits (- for none), the container and depth written
while read -r input output bits expected; do
    extra=(); [ "$bits" != - ] && extra=(--bits "$bits")
    "$render" "${extra[@]}" "$input" "$output" >/dev/null 2>&1
    check "$input -> $output (bits $bits) is $expected" test "$(python3 wavtool.py info "$output" 2>/dev/null)" = "$expected"
done <<'TABLE'
in16.wav  a.flac  -    FLAC 16
in24.wav  b.FLAC  -    FLAC 24
in32f.wav c.flac  -    FLAC 24
in32f.wav d.aif   -    AIFF 24
in24.wav  e.AIFF  -    AIFF 24
in16.wav  f.aiff  -    AIFF 16
in32f.wav g.Wav   -    WAV 32f
in16.wav  h.wav   -    WAV 16
in24.wav  i.wav   16   WAV 16
in16.wav  j.flac  24   FLAC 24
in24.wav  k.wav   32f  WAV 32f
TABLE

# Refused before anything is written: what, message, arguments, the file that must not appear.
while IFS='|' read -r what message args target; do
    read -r -a argv <<<"$args"
    expect_failure "$what" "$message" "${argv[@]}"
    check "$what leaves no $target" test ! -e "$target"
done <<'TABLE'
an unknown extension|the output's extension must be .wav, .flac, .aif or .aiff|in24.wav out.mp3|out.mp3
no extension|the output's extension must be|in24.wav outfile|outfile
32-bit float into FLAC|FLAC file cannot hold 32-bit float samples|--bits 32f in24.wav x.flac|x.flac
32-bit float into AIFF|AIFF file cannot hold 32-bit float samples|--bits 32f in24.wav x.aiff|x.aiff
a depth that is not offered|--bits takes 16, 24 or 32f|--bits 20 in24.wav x.wav|x.wav
an unknown --format|--format takes wav, flac or aiff|--out-dir xdir --format mp3 in24.wav|xdir
--format without --out-dir|--format goes with --out-dir|--format flac in24.wav x.wav|x.wav
a plot without a measurement|go with --analyze or --report|--plot x.png in24.wav x.wav|x.png
a plot that is not a PNG|ending in .png|--analyze --plot x.jpg in24.wav|x.jpg
a plot of several files|--plot draws one file|--analyze --plot x.png in24.wav in16.wav|x.png
rendering options with --analyze|takes no rendering options|--analyze --set StereoWidth=0 in24.wav|x.wav
a bad setting with --out-dir|unknown parameter 'Foo'|--set Foo=1 --out-dir newdir in24.wav|newdir
--jobs without --out-dir|--jobs goes with --out-dir|--jobs 2 in24.wav x.wav|x.wav
a split out of range|--split takes a frequency from 20 to 20000 Hz|--analyze --split 0 in24.wav|x.wav
a file as the output folder|as the output folder: it is a file|--out-dir in24.wav in16.wav|in24.wav/in16.wav
TABLE

# 16 bits get TPDF dither from a fixed seed: the same render gives the same file, and it differs from
# plain rounding by at most a step or so.
"$render" --preset Init --bits 16 in24.wav d1.wav >/dev/null 2>&1
"$render" --preset Init --bits 16 in24.wav d2.wav >/dev/null 2>&1
check "16-bit renders repeat exactly" cmp -s d1.wav d2.wav
check "--help explains the dither" grep -q "TPDF dither" <<<"$("$render" --help)"
check "the render says it dithered" grep -q "16-bit, TPDF dither" <<<"$("$render" --bits 16 in24.wav d3.wav 2>&1)"

#---------------------------------------------------------------------------------------------------
# Many files at once: one line per file, a failure reported with its reason while the others run.
mkdir -p batch
cp in24.wav batch/a.wav; cp in16.wav batch/b.wav; printf 'not audio' > batch/c.wav
out="$("$render" --set StereoWidth=150 --out-dir rendered batch/a.wav batch/c.wav batch/b.wav 2>&1)"; rc=$?
check "a batch with a failing file exits non-zero" test "$rc" -ne 0
check "one line per file" test "$(grep -c '^\[[1-3]/3\] batch/' <<<"$out")" -eq 3
check "the failing file is named with its reason" grep -q '^\[2/3\] batch/c.wav -> rendered/c.wav: FAILED: .*not a WAV, FLAC, AIFF or Ogg Vorbis file' <<<"$out"
check "the batch sums up" grep -q "rendered 2 of 3 files; 1 failed" <<<"$out"
check "the good files keep their format" test "$(python3 wavtool.py info rendered/a.wav) $(python3 wavtool.py info rendered/b.wav)" = "WAV 24 WAV 16"
check "no output for the failing file" test ! -e rendered/c.wav

out="$("$render" --out-dir rendered --format FLAC batch/a.wav batch/b.wav 2>&1)"; rc=$?
check "--format flac renders the batch" test "$rc" -eq 0
check "--format flac writes FLAC files" test "$(python3 wavtool.py info rendered/a.flac) $(python3 wavtool.py info rendered/b.flac)" = "FLAC 24 FLAC 16"

# The input's own folder as DIR: writing a file over itself is refused, a new name is not.
before="$(md5sum batch/a.wav batch/b.wav)"
out="$("$render" --set StereoWidth=0 --out-dir batch batch/a.wav batch/b.wav 2>&1)"; rc=$?
check "a batch into the inputs' folder exits non-zero" test "$rc" -ne 0
check "each input refused" test "$(grep -c '^\[.*FAILED: the output would overwrite the input' <<<"$out")" -eq 2
check "the inputs are untouched" test "$(md5sum batch/a.wav batch/b.wav)" = "$before"
"$render" --out-dir batch --format aiff batch/a.wav >/dev/null 2>&1
check "a new name in the inputs' folder is written" test "$(python3 wavtool.py info batch/a.aiff)" = "AIFF 24"

#---------------------------------------------------------------------------------------------------
# The stereo analysis as printed, as JSON, and drawn.
for kind in identical silence leftonly; do python3 wavtool.py stereo "$kind.wav" 2 "$kind"; done

out="$("$render" --analyze identical.wav silence.wav leftonly.wav 2>&1)"; rc=$?
check "--analyze exits 0" test "$rc" -eq 0
row() { grep -A14 "^$1" <<<"$out" | grep -m1 "^$2 "; }
check "identical channels: correlation +1" grep -q '+1.00$' <<<"$(row identical.wav correlation)"
check "identical channels: no side" grep -q -- '-inf dBFS$' <<<"$(row identical.wav 'side RMS')"
check "identical channels: mono sum 0 dB" grep -q ' 0.0 dB$' <<<"$(row identical.wav 'mono sum')"
check "silence: correlation n/a" grep -q 'n/a$' <<<"$(row silence.wav correlation)"
check "silence: peak -inf dBFS" grep -q -- '-inf dBFS$' <<<"$(row silence.wav 'peak L')"
check "one channel alone: mono sum -6.0 dB" grep -q -- '-6.0 dB$' <<<"$(row leftonly.wav 'mono sum')"
check "never NaN" test "$(grep -ci nan <<<"$out")" -eq 0

"$render" --analyze --json --split 200 identical.wav silence.wav missing.wav > analysis.json 2>analysis.err; rc=$?
check "--analyze with a missing file exits non-zero" test "$rc" -ne 0
check "--json is JSON with the figures" python3 - analysis.json <<'PY'
import json, sys
a = json.load(open(sys.argv[1]))
identical, silence, missing = a
assert identical['analysis']['correlation']['all'] == 1.0 and identical['analysis']['sideRmsDbfs'] == '-inf'
assert identical['analysis']['splitHz'] == 200.0
assert silence['analysis']['correlation'] == {'all': None, 'low': None, 'high': None}
assert silence['analysis']['peakDbfs'] == {'left': '-inf', 'right': '-inf'}
assert 'no such file' in missing['error']
PY

out="$("$render" --set Mono=1 --report --split 150 in24.wav monoed.wav 2>&1)"; rc=$?
check "--report exits 0" test "$rc" -eq 0
check "--report puts input and output side by side" grep -qE '^ +input +output$' <<<"$out"
check "--report: Mono leaves no side" grep -qE '^side RMS +-?[0-9.]+ dBFS +-inf dBFS$' <<<"$out"
check "--report: the split is the one asked for" grep -q '^correlation < 150 Hz' <<<"$out"

"$render" --analyze --plot one.png identical.wav >/dev/null 2>&1
check "--analyze --plot draws a 1200x700 PNG" test "$(python3 wavtool.py pngsize one.png)" = "1200x700"
"$render" --preset "TRACK Stereo 200%" --report --plot two.png in24.wav wide.flac >/dev/null 2>&1
check "--report --plot draws a 1200x700 PNG" test "$(python3 wavtool.py pngsize two.png)" = "1200x700"
check "--report --plot writes the FLAC too" test "$(python3 wavtool.py info wide.flac)" = "FLAC 24"

#---------------------------------------------------------------------------------------------------
# Value texts: the whole text must be one of the accepted forms, in range. setting|what the renderer says
python3 wavtool.py awkward tiny.wav null16
while IFS='|' read -r setting said; do
    out="$("$render" --set "$setting" tiny.wav tiny-out.wav 2>&1)"; rc=$?
    if [[ "$said" == "bad value"* ]]; then check "--set $setting is refused" test "$rc" -ne 0; else check "--set $setting is taken" test "$rc" -eq 0; fi
    check "--set $setting says \"$said\"" grep -qF -- "$said" <<<"$out"
done <<'TABLE'
StereoWidth=150abc|bad value '150abc' for StereoWidth: a number from 0 to 200
StereoWidth=0x10|bad value '0x10' for StereoWidth: a number from 0 to 200
StereoWidth=500|bad value '500' for StereoWidth: a number from 0 to 200
InputGain=-3abc|bad value '-3abc' for InputGain: a number from -12 to 12
InputGain=100|bad value '100' for InputGain: a number from -12 to 12
SafeBassFreq=120abc|bad value '120abc' for SafeBassFreq: a number from 10 to 500, Hz optional (120, 120Hz), or off
SafeBassFreq=5|bad value '5' for SafeBassFreq: a number from 10 to 500
Pan=L-30|bad value 'L-30' for Pan: C, L or R and a number from 0 to 100
Pan=30L|bad value '30L' for Pan: C, L or R and a number from 0 to 100
Pan=L150|bad value 'L150' for Pan: C, L or R and a number from 0 to 100
SafeBass=0.5.5|bad value '0.5.5' for SafeBass: off, on (any case, spaces optional) or 0, 1
StereoWidth=150 %|StereoWidth = 150 %
InputGain=-3dB|InputGain = -3.0dB
SafeBassFreq=off|SafeBassFreq = OFF
SafeBassFreq=120Hz|SafeBassFreq = 120Hz
Pan=L1.5|Pan = L2
Pan=r12|Pan = R12
Pan=-30|Pan = L30
TABLE

#---------------------------------------------------------------------------------------------------
# Awkward files, written byte by byte: kind|settings|what the render must say|what OUT must hold
while IFS='|' read -r kind settings said holds; do
    python3 wavtool.py awkward "$kind.wav" "$kind"
    read -r -a argv <<<"$settings"
    out="$("$render" "${argv[@]}" "$kind.wav" "$kind-out.wav" 2>&1)"; rc=$?
    check "$kind renders" test "$rc" -eq 0
    [ -n "$said" ] && check "$kind: says \"$said\"" grep -qF -- "$said" <<<"$out"
    [ -z "$said" ] && check "$kind: no warning" test "$(grep -c warning <<<"$out")" -eq 0
    case "$holds" in
        null16) check "$kind: gives back the samples of null16" test "$(python3 wavtool.py samples null16.wav)" = "$(python3 wavtool.py samples "$kind-out.wav")" ;;
        same) check "$kind: a null render gives back every sample" test "$(python3 wavtool.py samples "$kind.wav")" = "$(python3 wavtool.py samples "$kind-out.wav")" ;;
        finite) check "$kind: nothing but finite samples written" python3 -c "import math,sys; assert all(math.isfinite(float(v)) for v in sys.argv[1].split())" "$(python3 wavtool.py samples "$kind-out.wav")" ;;
        *) check "$kind: OUT holds $holds samples" test "$(python3 wavtool.py samples "$kind-out.wav" | wc -w)" -eq "$holds" ;;
    esac
done <<'TABLE'
null8|--preset Init||same
null16|--preset Init||same
null24|--preset Init||same
null32|--preset Init|WAV file, 32-bit)|same
null32f|--preset Init|1 samples above 0 dBFS (L 0, R 1), kept in the float file|same
one16384|--preset Init||same
nopad|--preset Init||null16
datafirst|--preset Init||null16
stream0|--preset Init||null16
streamff|--preset Init||null16
nonfinite||24 NaN or infinite output samples (L 12, R 12) written as 0|finite
cutshort||cut short: 993 of 1000 frames|1986
TABLE
"$render" null32.wav null32-out.aiff >/dev/null 2>&1
check "32-bit integer stays integer in AIFF" test "$(python3 wavtool.py samples null32.wav)" = "$(python3 wavtool.py samples null32-out.aiff)"

"$render" --analyze --json nonfinite.wav cutshort.wav > awkward.json 2>awkward.err; rc=$?
check "--analyze takes awkward files" test "$rc" -eq 0
check "--analyze warns of both" test "$(grep -c 'warning: .*\(10, R 4\|cut short: 993 of 1000\)' awkward.err)" -eq 2
check "--analyze leaves non-finite samples out and counts them" python3 - awkward.json <<'PY'
import json, sys
nonfinite, cut = json.load(open(sys.argv[1]))
a = nonfinite['analysis']
assert a['nonFiniteSamples'] == {'left': 10, 'right': 4}, a
assert abs(a['peakDbfs']['left'] + 6.02) < 0.01 and abs(a['rmsDbfs']['right'] + 9.03) < 0.05 and a['correlation']['all'] == 1.0, a
assert abs(cut['analysis']['seconds'] * 48000 - 993) < 1e-6 and 'cut short: 993 of 1000 frames' in cut['warnings'][0], cut
PY

# Clipping: the 24-bit render counts what the float render holds beyond full scale.
python3 wavtool.py awkward loud.wav loud
"$render" --set StereoWidth=200 --report --json loud.wav loud24.wav > loud24.json 2>loud24.err
"$render" --set StereoWidth=200 --bits 32f --report --json loud.wav loud32f.wav > loud32f.json 2>/dev/null
check "clipping is warned of" grep -q 'samples clipped in the 24-bit output' loud24.err
python3 wavtool.py samples loud32f.wav > loud32f.txt
check "clipped samples counted per channel" python3 - loud24.json loud32f.json loud32f.txt <<'PY'
import json, sys
clipped, above = json.load(open(sys.argv[1]))[0]['clippedSamples'], json.load(open(sys.argv[2]))[0]['samplesAboveFullScale']
v = [float(x) for x in open(sys.argv[3]).read().split()]
expected = {'left': sum(abs(x) > 1 for x in v[0::2]), 'right': sum(abs(x) > 1 for x in v[1::2])}
assert expected['left'] > 100 and clipped == expected and above == expected, (clipped, above, expected)
PY

#---------------------------------------------------------------------------------------------------
# --jobs: the same files as one after another, whole lines, and a failure lets the others finish.
cp in24.wav batch/d.wav; cp in16.wav batch/e.wav; cp null24.wav batch/f.wav
"$render" --set StereoWidth=150 --bits 16 --jobs 1 --out-dir jobs1 batch/{a,b,c,d,e,f}.wav > jobs1.out 2>&1
out="$("$render" --set StereoWidth=150 --bits 16 --jobs 3 --out-dir jobs3 batch/{a,b,c,d,e,f}.wav 2>&1)"; rc=$?
check "--jobs 3 with a failing file exits non-zero" test "$rc" -ne 0
check "--jobs 3 writes the files of --jobs 1" test "$(cd jobs1 && md5sum ./*)" = "$(cd jobs3 && md5sum ./*)"
check "--jobs 3 writes five files" test "$(ls jobs3 | wc -l)" -eq 5
check "--jobs 3 prints one whole line per file" test "$(grep -cE '^\[[1-6]/6\] batch/[a-f]\.wav -> jobs3/[a-f]\.wav: (done \(WAV file, 16-bit, TPDF dither\)(, clipped L [0-9]+, R [0-9]+)?|FAILED: .*not a WAV, FLAC, AIFF or Ogg Vorbis file)$' <<<"$out")" -eq 6
check "--jobs 3 sums up" grep -q "rendered 5 of 6 files; 1 failed" <<<"$out"
expect_failure "--jobs 0" "--jobs takes a number of files to render at once, from 1 to 256" --jobs 0 --out-dir x batch/a.wav

#---------------------------------------------------------------------------------------------------
# Choices and switches: the editor's names or the stored values, and what is printed is what is rendered.
while IFS='|' read -r setting said; do
    out="$("$render" --set "$setting" tiny.wav tiny-out.wav 2>&1)"; rc=$?
    if [[ "$said" == "bad value"* ]]; then check "--set $setting is refused" test "$rc" -ne 0; else check "--set $setting is taken" test "$rc" -eq 0; fi
    check "--set $setting says \"$said\"" grep -qF -- "$said" <<<"$out"
done <<'TABLE'
MsMode=1|bad value '1' for MsMode: fix mid, bind levels (any case, spaces optional) or 0, 0.1
PanLaw=1|bad value '1' for PanLaw: -0dB, -3dB, -6dB
PanCurve=0.05|bad value '0.05' for PanCurve: linear, logarithmic, sin/cos
PanMode=0.05|bad value '0.05' for PanMode: dual pan, balance
SafeBass=yes|bad value 'yes' for SafeBass: off, on
MsMode=bind levels|MsMode = bind levels
MsMode=BindLevels|MsMode = bind levels
PanLaw=-6 dB|PanLaw = -6dB
PanCurve=SIN/COS|PanCurve = sin/cos
PanCurve=0.1|PanCurve = logarithmic
PanMode=dualpan|PanMode = dual pan
SafeBass=on|SafeBass = SAFE BASS ON
Mono=0|Mono = MONO OFF
TABLE
for law in -0dB -6dB 0.2; do "$render" --set Pan=L60 --set PanLaw="$law" in16.wav "law$law.wav" >/dev/null 2>&1; done
check "PanLaw=-6dB renders as the stored value 0.2" cmp -s law-6dB.wav law0.2.wav
check "PanLaw=-6dB renders otherwise than -0dB" bash -c '! cmp -s law-6dB.wav law-0dB.wav'

# Messages that name the cause: what, message, arguments.
python3 wavtool.py awkward tiny.wav null16
for kind in float64 mulaw adpcm rifx; do python3 wavtool.py awkward "$kind.wav" "$kind"; done
mkdir -p afolder.wav emptydir.wav
while IFS='|' read -r what message args; do
    read -r -a argv <<<"$args"
    expect_failure "$what" "$message" "${argv[@]}"
done <<'TABLE'
64-bit float WAV|a WAV file of 64-bit float samples, which the renderer does not read|float64.wav x.wav
mu-law WAV|a WAV file of µ-law samples|mulaw.wav x.wav
ADPCM WAV|a WAV file of ADPCM samples|adpcm.wav x.wav
big-endian WAV|a big-endian WAV file (RIFX)|rifx.wav x.wav
a folder as input|afolder.wav: it is a folder|afolder.wav x.wav
a folder as output|emptydir.wav: it is a folder|tiny.wav emptydir.wav
an output folder that is missing|the folder .*/nowhere does not exist|tiny.wav nowhere/x.wav
--set without a value|StereoWidth needs a value|--set StereoWidth tiny.wav x.wav
a split that is no number|--split takes a frequency from 20 to 20000 Hz, not '150.0.1'|--analyze --split 150.0.1 tiny.wav
TABLE
expect_failure "a name that is not UTF-8" "is not UTF-8 text" tiny.wav $'\xff.wav'
check "a folder named like the output is kept" test -d emptydir.wav
for name in tiny.flac tiny-noext; do cp tiny.wav "$name"; done
out="$("$render" --preset Init tiny.flac named.wav 2>&1 && "$render" --preset Init tiny-noext named2.wav 2>&1)"
check "a WAV named .flac or without extension is read by its content" test "$(python3 wavtool.py samples named2.wav)" = "$(python3 wavtool.py samples tiny.wav)"
long="$(printf 'a%.0s' {1..248}).wav"
"$render" tiny.wav "$long" >/dev/null 2>&1
check "a 252-byte output name is written" test -s "$long"
out="$("$render" --out-dir neverdir missing1.wav afolder.wav 2>/dev/null)"
check "--out-dir is not made when no file can be written" test ! -e neverdir
check "batch failures go to standard error too" test "$("$render" --out-dir neverdir missing1.wav 2>&1 >/dev/null | grep -c 'FAILED: cannot read')" -eq 1

# A full disk (here the file-size limit) at the end: no success, no file, the old one kept, the cause named.
python3 wavtool.py stereo big.wav 3 mix
echo old > full.wav
out="$( (ulimit -f 100; trap '' XFSZ; exec "$render" big.wav full.wav) 2>&1)"; rc=$?
check "a write that fails exits non-zero" test "$rc" -ne 0
check "a write that fails names the cause" grep -q "cannot write .*full.wav: file too large" <<<"$out"
check "a write that fails says no 'wrote'" test "$(grep -c '^wrote' <<<"$out")" -eq 0
check "a write that fails keeps the old file" test "$(cat full.wav)" = old
check "a write that fails leaves no temporary file" test "$(ls -A | grep -c '\.tmp-')" -eq 0

# Interrupted: the temporary file goes, the exit status is the shell's, nothing under the output's name.
python3 -c "import sys; sys.stdout.buffer.write(b'RIFF' + (36 + 46080000).to_bytes(4, 'little') + b'WAVEfmt ' + bytes([16,0,0,0, 1,0, 2,0, 0x80,0xbb,0,0, 0,0xee,2,0, 4,0, 16,0]) + b'data' + (46080000).to_bytes(4, 'little') + bytes(range(256)) * 180000)" > long.wav
for signal in INT TERM; do
    "$render" long.wav "long-$signal.flac" >/dev/null 2>&1 &
    pid=$!
    for _ in $(seq 500); do compgen -G ".long-$signal.flac.tmp-$pid*" >/dev/null && break; sleep 0.01; done
    kill -s "$signal" "$pid"; wait "$pid"; rc=$?
    check "SIGINT/SIGTERM: $signal exits $([ $signal = INT ] && echo 130 || echo 143)" test "$rc" -eq "$([ $signal = INT ] && echo 130 || echo 143)"
    check "SIGINT/SIGTERM: $signal leaves no file" test "$(ls -A | grep -c "long-$signal")" -eq 0
done

# Cut and damaged FLAC: only what decodes, in its place, with a warning.
"$render" --preset Init in16.wav whole.flac >/dev/null 2>&1
"$render" --preset Init whole.flac whole.wav >/dev/null 2>&1
python3 -c "import sys; d = open('whole.flac', 'rb').read(); open('cut.flac', 'wb').write(d[:len(d) * 7 // 10]); b = bytearray(d); b[len(d) // 2:len(d) // 2 + 40] = bytes(40); open('damaged.flac', 'wb').write(bytes(b))"
out="$("$render" --preset Init cut.flac cut.wav 2>&1)"
check "a cut FLAC is warned of" grep -qE "warning: cut.flac: cut short: [0-9]+ of 44100 frames" <<<"$out"
check "a cut FLAC renders what decodes, no silence after" test "$(python3 wavtool.py samples cut.wav | wc -w)" -eq "$(( 2 * $(grep -oE 'cut short: [0-9]+' <<<"$out" | grep -oE '[0-9]+') ))"
out="$("$render" --preset Init damaged.flac damaged.wav 2>&1)"
check "a damaged FLAC is warned of" grep -qE "warning: damaged.flac: damaged: [0-9]+ frames could not be decoded" <<<"$out"
check "a damaged FLAC keeps its time" python3 - whole.wav damaged.wav <<'PY'
import subprocess, sys
a, b = (subprocess.run(['python3', 'wavtool.py', 'samples', p], capture_output=True, text=True).stdout.split() for p in sys.argv[1:])
assert len(a) == len(b) and a[-4000:] == b[-4000:] and a[:4000] == b[:4000], (len(a), len(b))
PY
"$render" --analyze --json cut.flac damaged.flac > flac.json 2>/dev/null
check "--analyze --json lists the cut and the damage" python3 -c "import json; c, d = json.load(open('flac.json')); assert 'cut short' in c['warnings'][0] and 'damaged' in d['warnings'][0]"

# JSON: every control character escaped, one entry per file even when its plot fails.
cp tiny.wav "$(printf 'bell\a.wav')"
"$render" --analyze --json --plot nowhere/p.png "$(printf 'bell\a.wav')" > bell.json 2>/dev/null
check "JSON with a control character in a name, and a failed plot in the file's one entry" python3 -c "import json; (e,) = json.load(open('bell.json')); assert e['file'] == 'bell\a.wav' and 'analysis' in e and 'does not exist' in e['error'], e"

# The renderer creates nothing outside its outputs, not even a missing home.
HOME="$work/nohome" XDG_CONFIG_HOME= "$render" tiny.wav nohome.wav >/dev/null 2>&1
check "no settings folder is created" test ! -e "$HOME/.config/ZELVORA"
check "a missing home is not created" test ! -e "$work/nohome"
# Loudness: a matched batch at 200 % keeps each file's loudness; silence and a one-frame file have no
# reading, in JSON that is strict (no NaN or Infinity).
python3 wavtool.py awkward one.wav one16384
"$render" --set StereoWidth=200 --match-loudness --true-peak-limit -12 --jobs 2 --format flac --out-dir matched input.wav in24.wav > matched.out 2> matched.err
check "--match-loudness batch exits 0" test $? -eq 0
check "--match-loudness prints the trim" test "$(grep -c '^  loudness match: trim [-+][0-9.]* dB' matched.out)" -eq 2
check "--true-peak-limit is warned of" grep -q 'true peak is .* dBTP, above the limit of -12.0 dBTP' matched.err
"$render" --analyze --json input.wav in24.wav matched/input.flac matched/in24.flac silence.wav one.wav > loudness.json
check "matched renders keep the loudness, silence and short files read null" python3 - loudness.json <<'PY'
import json, sys
files = json.load(open(sys.argv[1]), parse_constant=lambda c: sys.exit('not JSON: ' + c))
lufs = [f['analysis']['loudness']['integratedLufs'] for f in files]
assert abs(lufs[0] - lufs[2]) <= 0.1 and abs(lufs[1] - lufs[3]) <= 0.1, lufs
for f in files[4:]:
    l = f['analysis']['loudness']
    assert l['integratedLufs'] is None and l['monoFoldDownLu'] is None and l['maxMomentaryLufs'] is None, f
PY
python3 wavtool.py awkward antiphase.wav antiphase
"$render" --set StereoWidth=0 --match-loudness antiphase.wav antiphase-mono.wav > /dev/null 2> antiphase.err
check "--match-loudness warns when its trim clips" grep -q 'the trim of +[0-9.]* dB takes the output.s peak to +[0-9.]* dBFS, so it clips' antiphase.err
check "silence reads no reading" grep -q '^integrated  *no reading$' <<<"$("$render" --analyze silence.wav)"
expect_failure "--true-peak-limit alone" "--true-peak-limit goes with --match-loudness" --true-peak-limit -1 input.wav x.wav
expect_failure "--match-loudness with --analyze" "takes no rendering options" --analyze --match-loudness input.wav

# Past the file-size limit with SIGXFSZ at its default (it would end the process silently): status 1,
# the cause, and no temporary file.
out="$( (ulimit -f 100; exec "$render" big.wav full.wav) 2>&1)"; rc=$?
check "past the file-size limit the exit status is 1" test "$rc" -eq 1
check "past the file-size limit it says 'file too large'" grep -q "cannot write .*full.wav: file too large" <<<"$out"
check "past the file-size limit no temporary file is left" test "$(ls -A | grep -c '\.tmp-')" -eq 0

# Choices by the names the editor's panel shows (any case, spaces optional) and by the plug-in's texts
# render as their short names do. setting|the short form|the line printed
python3 wavtool.py stereo panel.wav 3 mix
while IFS='|' read -r setting short said; do
    out="$("$render" --set Pan=L60 --set StereoWidth=150 --set "$setting" panel.wav panel-a.wav 2>&1)"; rc=$?
    "$render" --set Pan=L60 --set StereoWidth=150 --set "$short" panel.wav panel-b.wav >/dev/null 2>&1
    check "--set '$setting' is taken" test "$rc" -eq 0
    check "--set '$setting' prints '$said'" grep -qxF -- "  $said" <<<"$out"
    check "--set '$setting' renders as $short" cmp -s panel-a.wav panel-b.wav
done <<'TABLE'
PanLaw=PAN LAW -0 dB|PanLaw=-0dB|PanLaw = -0dB
PanLaw=-3 dB slope|PanLaw=-3dB|PanLaw = -3dB
PanLaw=-6DBSLOPE|PanLaw=0.2|PanLaw = -6dB
PanCurve=linear|PanCurve=0|PanCurve = linear
PanCurve=Logarithmic|PanCurve=0.1|PanCurve = logarithmic
PanCurve=sin / cos|PanCurve=0.2|PanCurve = sin/cos
MsMode=fix MID level|MsMode=fix mid|MsMode = fix mid
MsMode=bind M/S levels|MsMode=bind levels|MsMode = bind levels
MsMode=BindM/SLevels|MsMode=0.1|MsMode = bind levels
PanMode=dual pan|PanMode=0|PanMode = dual pan
PanMode=BALANCE|PanMode=0.1|PanMode = balance
SafeBass=SAFE BASS ON|SafeBass=on|SafeBass = SAFE BASS ON
Mono=mono active|Mono=1|Mono = MONO ACTIVE
SwapLR=NO SWAP|SwapLR=off|SwapLR = NO SWAP
TABLE

# What the renderer prints for a setting, fed back through --set, renders the identical file: for awkward
# values of every parameter and for every factory preset (each "Name = value" line it prints).
feed_back() { # what, renderer arguments...
    local what="$1"; shift
    local out line
    local -a sets=()
    out="$("$render" "$@" panel.wav printed-a.wav 2>&1)"
    check "$what renders" test $? -eq 0
    while IFS= read -r line; do sets+=(--set "$line"); done < <(grep -E '^ +[A-Za-z]+ = ' <<<"$out" | sed -E 's/^ +//')
    "$render" "${sets[@]}" panel.wav printed-b.wav >/dev/null 2>&1
    check "$what: the printed settings (${sets[*]}) render the same file" cmp -s printed-a.wav printed-b.wav
}
while read -r -a settings; do
    feed_back "${settings[*]}" "${settings[@]}"
done <<'TABLE'
--set StereoWidth=87.5%
--set StereoWidth=88
--set StereoWidth=0.1 --set MsMode=bindlevels
--set StereoWidth=199.99 --set MsMode=0.1
--set StereoWidth=33.3333
--set InputGain=1.54
--set InputGain=1.5
--set InputGain=-11.99 --set OutputGain=+0.05
--set OutputGain=-0.01
--set SafeBass=on --set SafeBassFreq=79.58
--set SafeBass=on --set SafeBassFreq=80
--set SafeBass=on --set SafeBassFreq=10.5
--set SafeBass=on --set SafeBassFreq=499.99
--set SafeBass=on --set SafeBassFreq=off
--set Pan=L1.5 --set PanLaw=-3dB
--set Pan=R99.5 --set PanCurve=sin/cos --set PanMode=dualpan
--set Pan=-0.4
--set Bypass=on --set SwapLR=1 --set PhaseFlip=on
--set Mono=on --set MuteMid=on
--set MuteSide=on --set MuteAll=off
TABLE
while IFS= read -r preset; do
    feed_back "preset $preset" --preset "$preset"
done < <("$render" --list-presets | head -n 14)
check "87.5 % is printed as it is rendered" grep -qxF "  StereoWidth = 87.5 %" <<<"$("$render" --set StereoWidth=87.5 panel.wav printed-a.wav 2>&1)"
check "the 80 Hz preset prints its crossover as it is" grep -qxF "    SafeBassFreq = 79.58Hz" <<<"$("$render" --preset "MASTER SafeBass 80 Hz" panel.wav printed-a.wav 2>&1)"

# The manual's recipe for a batch spread over machines with GNU parallel, run here on this machine
# (":" as the login): one file per job into a shared --out-dir, the same files as one batch renders.
check "GNU parallel is installed (scripts/install-deps.sh)" bash -c 'command -v parallel >/dev/null'
mkdir -p spread/in spread/out
for take in one two three four; do python3 wavtool.py stereo "spread/in/$take.wav" 3 mix; done
ls "$PWD"/spread/in/*.wav | parallel --will-cite --sshlogin 2/: \
    "$render" --jobs 1 --preset "'MASTER Stereo 110% + SafeBass'" --out-dir "$PWD/spread/out" {} >spread.out 2>&1
check "the parallel recipe exits 0" test $? -eq 0
"$render" --preset "MASTER Stereo 110% + SafeBass" --out-dir spread/local spread/in/*.wav >/dev/null 2>&1
for take in one two three four; do
    check "the parallel recipe renders $take.wav as one batch does" cmp -s "spread/out/$take.wav" "spread/local/$take.wav"
done

echo "$passes passed, $failures failed"
test "$failures" -eq 0
