#!/usr/bin/env bash
# Builds the Debian package from a build folder with CPack and looks at it as Debian's tools and a
# user's system do: its files and control data, lintian, and, unpacked into a throw-away root, the LV2
# bundle through lilv, the renderer, the manual pages (as man shows them), the HTML manuals' links, the
# changelog and the desktop entry.
#
# usage: PackageTest.sh BUILD_FOLDER
set -u
build="$1"
source_root="$(cd "$(dirname "$0")/../.." && pwd)"
work="$(mktemp -d)"
trap 'rm -rf "$work"' EXIT
export HOME="$work/home" XDG_CONFIG_HOME="$work/home/.config"
mkdir -p "$HOME"
passed=0 failed=0

check() # what, then a command that succeeds when it holds
{
    local what="$1"
    shift
    if "$@" > "$work/out" 2>&1; then
        passed=$((passed + 1)) && echo "ok: $what"
    else
        failed=$((failed + 1)) && echo "FAILED: $what" && sed -e 's/^/    /' "$work/out" | head -20
    fi
}

version="$(sed -n 's/^set(CPACK_PACKAGE_VERSION "\(.*\)")$/\1/p' "$build/CPackConfig.cmake")"
deb="$work/wydenza_${version}_amd64.deb"
check "cpack builds $(basename "$deb")" bash -c "cpack -G DEB -B '$work' --config '$build/CPackConfig.cmake' && test -f '$deb'"

dpkg-deb -c "$deb" > "$work/contents"
for path in usr/bin/wydenza usr/bin/wydenza-render usr/lib/lv2/Wydenza.lv2/manifest.ttl usr/lib/lv2/Wydenza.lv2/presets.ttl \
    usr/lib/lv2/Wydenza.lv2/libWydenza.so usr/lib/vst3/Wydenza.vst3/Contents/x86_64-linux/Wydenza.so usr/lib/vst/Wydenza.so \
    usr/share/applications/wydenza.desktop usr/share/icons/hicolor/scalable/apps/wydenza.svg \
    usr/share/man/man1/wydenza-render.1.gz usr/share/man/man1/wydenza.1.gz usr/share/doc/wydenza/copyright \
    "usr/share/wydenza/vst3-presets/ZELVORA/Wydenza/TRACK Stereo 200%.vstpreset"; do
    check "the package holds /$path" grep -q " \./$path\$" "$work/contents"
done
check "the VST 2.4 plug-in once, in /usr/lib/vst, which every host searches" bash -c "! grep -q ' \./usr/lib/lxvst/' '$work/contents'"
check "no VST3 preset where Debian 12's Ardour would load it (and freeze)" bash -c "! grep -q ' \./usr/share/vst3/' '$work/contents'"
check "every file belongs to root" bash -c "! awk '{print \$2}' '$work/contents' | grep -v '^root/root\$'"

dpkg-deb -I "$deb" > "$work/control"
check "control: package wydenza $version for amd64" bash -c "grep -qx ' Package: wydenza' '$work/control' && grep -qx ' Version: $version' '$work/control' && grep -qx ' Architecture: amd64' '$work/control'"
check "control: Depends computed from the shared libraries, and the X11 libraries opened at run time" \
    grep -qE '^ Depends: libx11-6, libxext6, .*libc6 \(>= [0-9.]+\).*libfreetype6' "$work/control"
check "control: Depends on the loudness library the renderer links" grep -qE '^ Depends: .*libebur128-1 \(>= [0-9.]+\)' "$work/control"

lintian --tag-display-limit 0 "$deb" > "$work/lintian" 2>&1
sed -n 's/^W: /lintian warning: /p' "$work/lintian"
check "lintian reports no errors" bash -c "! grep '^E: ' '$work/lintian'"

root="$work/root"
check "dpkg -x unpacks the package" dpkg -x "$deb" "$root"
LV2_PATH="$root/usr/lib/lv2" lv2info urn:zelvora:wydenza 2> /dev/null |
    sed -n '/^\tPresets:/,/^$/p' | sed -e 's/^\tPresets: *//' -e 's/^\t *//' | sed '/^$/d' | sort > "$work/lv2-presets"
"$root/usr/bin/wydenza-render" --list-presets | sort > "$work/factory-presets"
check "the renderer from the package lists its fourteen presets" test "$(wc -l < "$work/factory-presets")" -eq 14
check "lv2info lists the bundle's presets: the renderer's fourteen" diff "$work/factory-presets" "$work/lv2-presets"
check "the renderer's manual page is made from its --help" zgrep -q -- 'list\\-presets' "$root/usr/share/man/man1/wydenza-render.1.gz"
# Each page as man shows it: one SYNOPSIS line per form that --help gives (a line "Usage:" and one "  or:"
# for each other), a NAME that lexgrog reads, and no warning from groff.
for program in wydenza wydenza-render; do
    page="$root/usr/share/man/man1/$program.1.gz"
    forms="$(env -u DISPLAY "$root/usr/bin/$program" --help | grep -cE '^(Usage|  or):  ?'"$program"'( |$)')"
    synopsis="$(MANWIDTH=200 man -l "$page" 2> /dev/null | sed -n '/^SYNOPSIS$/,/^[A-Z]/p' | grep -cE "^ +$program( |\$)")"
    check "man $program: a SYNOPSIS line for each of the $forms forms of its --help ($synopsis)" test "$forms" -ge 2 -a "$synopsis" -eq "$forms"
    check "lexgrog reads the NAME of $program's page" bash -c "lexgrog '$page' | grep -q ': \"$program - '"
    check "man --warnings finds nothing in $program's page" bash -c "! MANWIDTH=80 man --warnings=w -l '$page' 2>&1 > /dev/null | grep ."
    check "man $program names the manuals' contents page" bash -c "MANWIDTH=200 man -l '$page' 2> /dev/null | grep -q '/usr/share/doc/wydenza/index.html'"
done
# The user manuals as HTML pages: each source's headings keep their GitHub anchors, and every link and
# picture in the installed pages leads to a file and an id there, checked as the checkout's links are.
doc="$root/usr/share/doc/wydenza"
check "no manual is installed as Markdown" bash -c "! grep -q '/usr/share/doc/wydenza/.*\.md' '$work/contents'"
for manual in README.md docs/renderer.md docs/presets.md docs/editor.md docs/hosts.md docs/glossary.md docs/changes.md \
    docs/development.md; do
    page="$(basename "$manual" .md | sed 's/^README$/readme/').html"
    check "$page has the ids of every heading of $manual" python3 -c "
import runpy, sys
links = runpy.run_path('$source_root/scripts/check-doc-links.py', run_name='links')
missing = links['anchors_of']('$source_root/$manual') - links['PageLinks']('$doc/$page').ids
sys.exit('missing ids: %s' % sorted(missing) if missing else 0)"
done
check "every link and picture in the installed manuals leads to a file and an id there" \
    bash -c "python3 '$source_root/scripts/check-doc-links.py' --html '$doc' && python3 '$source_root/scripts/check-doc-links.py' --html '$doc' | grep -qE '^[1-9][0-9]+ links'"
check "the contents page lists every manual" bash -c "test \$(grep -c '^<li><a href=\"[a-z]*\.html\">' '$doc/index.html') -eq 8"
check "the pictures the manuals show are installed beside them" test -f "$doc/editor-expert-bright-810x540.png"
check "no note for the authors in the installed manuals" bash -c "! grep -l -e '<!--' -e TODO '$doc'/*.html"
check "the changelog's newest entry is $version, after 1.0.7" bash -c \
    "zcat '$doc/changelog.gz' | dpkg-parsechangelog -l- --all --format rfc822 | sed -n 's/^Version: //p' | tr '\n' ' ' | grep -qx '$version 1.0.7 '"
check "NEWS.Debian tells of $version" bash -c "zcat '$doc/NEWS.Debian.gz' | dpkg-parsechangelog -l- -S Version | grep -qx '$version'"
check "desktop-file-validate accepts the desktop entry" desktop-file-validate "$root/usr/share/applications/wydenza.desktop"
check "the desktop entry starts /usr/bin/wydenza with the packaged icon, in category Audio" bash -c \
    "grep -qx 'Exec=wydenza' '$root/usr/share/applications/wydenza.desktop' && grep -qx 'Icon=wydenza' '$root/usr/share/applications/wydenza.desktop' && grep -q '^Categories=.*;Audio;' '$root/usr/share/applications/wydenza.desktop'"

echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ] && [ "$passed" -gt 0 ]
