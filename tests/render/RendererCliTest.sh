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
check "Init preset is transparent" test "$(python3 wavtool.py maxdiff input.wav same.wav)" -le 1

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
expect_failure "a file that is not audio" "not a WAV, FLAC or AIFF file" junk.wav out7.wav

before="$(md5sum < input.wav)"
expect_failure "writing over the input" "would overwrite the input" input.wav input.wav
ln -s input.wav link.wav
expect_failure "writing over the input through a link" "would overwrite the input" input.wav link.wav
check "the input is untouched" test "$(md5sum < input.wav)" = "$before"

echo "$passes passed, $failures failed"
test "$failures" -eq 0
