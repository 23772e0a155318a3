#!/usr/bin/env bash
# Installs a build's plug-ins for the current user, unless the wydenza package is installed. Hosts would
# otherwise see two copies of each plug-in: Ardour lists the VST3 twice, and for LV2 it runs the DSP from
# ~/.lv2 (lilv keeps the first bundle of a URI) with the editor from /usr/lib/lv2, and crashes when the
# two builds differ. With the package installed, the copies this script put here earlier are removed.
#
# usage: install-user-plugins.sh ARTEFACTS_FOLDER   (the build's Wydenza_artefacts/Release)
set -euo pipefail
artefacts="$1"

# The user folders hosts search by default (~/.vst is not in Ardour's default VST 2.4 path; the docs say
# how to add it there), each with the artefact that goes there.
user_copies=("$HOME/.lv2/Wydenza.lv2" "$HOME/.vst3/Wydenza.vst3" "$HOME/.vst/Wydenza.so")
built=("$artefacts/LV2/Wydenza.lv2" "$artefacts/VST3/Wydenza.vst3" "$artefacts/VST/libWydenza.so")

package_installed()
{
    local status
    status="$(dpkg-query --show --showformat='${db:Status-Status}' wydenza 2> /dev/null)" || return 1
    case "$status" in
        "" | not-installed | config-files) return 1 ;;
        *) return 0 ;;
    esac
}

shown() # a path as the user would type it
{
    echo "${1/#"$HOME"/\~}"
}

if package_installed; then
    echo "user plug-ins: the wydenza package is installed, so hosts load it from /usr/lib/lv2, /usr/lib/vst3" \
         "and /usr/lib/vst; no copies installed for the current user"
    for copy in "${user_copies[@]}"; do
        if [ -e "$copy" ] || [ -L "$copy" ]; then
            rm -rf "$copy"
            echo "user plug-ins: removed the earlier copy $(shown "$copy")"
        fi
    done
    exit 0
fi

for source in "${built[@]}"; do
    [ -e "$source" ] || { echo "user plug-ins: $source is missing; build the plug-ins first" >&2; exit 1; }
done

# Each copy is made in full beside the home folder's plug-in folders and then renamed into place, so a
# failed copy never leaves a half bundle where hosts look.
mkdir -p "$HOME"
staging="$(mktemp -d "$HOME/.wydenza-install.XXXXXX")"
trap 'rm -rf "$staging"' EXIT
for i in "${!user_copies[@]}"; do
    copy="${user_copies[$i]}"
    mkdir -p "$(dirname "$copy")"
    cp -r "${built[$i]}" "$staging/copy"
    chmod -R u+rwX,go+rX,go-w "$staging/copy"
    rm -rf "$copy"
    mv -T "$staging/copy" "$copy"
done
echo "user plug-ins: installed for the current user only (the wydenza package is not installed):" \
     "$(shown "${user_copies[0]}"), $(shown "${user_copies[1]}"), $(shown "${user_copies[2]}")"
echo "user plug-ins: after installing the package, run scripts/build-and-render.sh again: it removes these" \
     "copies, so that hosts see one"
