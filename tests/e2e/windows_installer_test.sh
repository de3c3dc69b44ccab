#!/usr/bin/env bash
# The Windows installer under Wine on a real X server, in a fresh prefix, as a Windows user meets it:
# a silent install puts the zip's files into the user's programs folder, a Start menu entry, the .skm
# type and an Apps & Features entry; a mission opens through the type's registered open command; a
# silent uninstall leaves nothing of the installer's. Then an older package is upgraded in place to
# one entry, over a .skm type another program holds, which stays that program's.
# Usage: windows_installer_test.sh <zip> <msi> <windows_installer.sh> <e2e_expect> <wine> <wineserver>
set -euo pipefail
zip=$1
msi=$2
make_installer=$3
expect=$4
wine=$5
wineserver=$6
version_text=${QUARNEL_VERSION_TEXT:?the version text the title starts with}
version=${QUARNEL_VERSION:?the version the package carries}
work=$(mktemp -d)
# shellcheck source=wine_prefix.sh
source "$(dirname "$0")/wine_prefix.sh"

# reg.exe's answer to a query. A query that fails is asked twice more, a second apart: once, in a
# full test run, the registry read nothing right after an install whose files were all in place.
# A key or value that is not there fails every time.
query() {
    local attempt
    for attempt in 1 2 3; do
        if "$wine" reg query "$@" 2>>"$work/wine.err"; then
            return 0
        fi
        [ "$attempt" -eq 3 ] || sleep 1
    done
    return 1
}
# A registry value's data as reg.exe prints it ("" for the default value), or nothing.
reg_value() {
    local option=(/v "$2")
    [ -n "$2" ] || option=(/ve)
    { query "$1" "${option[@]}" || true; } | tr -d '\r' | sed -n 's/^    .*    REG_[A-Z_]*    \{0,1\}//p' | head -n 1
}
has_key() { "$wine" reg query "$1" >/dev/null 2>&1; }
msiexec() {
    local status=0
    "$wine" msiexec "$@" || status=$?
    "$wineserver" -w
    return $status
}
# The Apps & Features entries named Quarnel, one "<key> <version>" a line. (Wine lists per-user
# packages under HKLM's Uninstall key; Windows keeps them in the Installer's UserData.)
uninstall_root='HKLM\Software\Microsoft\Windows\CurrentVersion\Uninstall'
entries() {
    local key
    for key in $({ query "$uninstall_root" || true; } | tr -d '\r' | grep -i '^HKEY.*\\{' || true); do
        [ "$(reg_value "$key" DisplayName)" = Quarnel ] && echo "$key $(reg_value "$key" DisplayVersion)"
    done
    return 0
}
# What the prefix holds, to tell what an install left: every file and folder, every registry key.
snapshot() {
    (cd "$WINEPREFIX/drive_c" && find . | LC_ALL=C sort) >"$work/$1.files"
    cat "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" | grep -a '^\[' | sed 's/\] [0-9]*$/]/' |
        LC_ALL=C sort >"$work/$1.keys"
}
# Fails when the prefix holds anything the snapshot did not beyond what Windows Installer and Wine
# keep for themselves (the installer's empty folders and keys, which stay on Windows too; Wine's
# empty association keys, and the display and font keys it makes when the first window opens), or
# any registry data naming Quarnel.
nothing_left() {
    snapshot after
    local left
    left=$(LC_ALL=C comm -13 "$work/$1.files" "$work/after.files" |
           grep -v -x -e './users/[^/]*/AppData/Roaming/Microsoft/Installer' -e './windows/Installer' || true)
    [ -z "$left" ] || fail "$2 left files: $left"
    left=$(LC_ALL=C comm -13 "$work/$1.keys" "$work/after.keys" |
           grep -v -x -e '\[Software\\\\Microsoft\\\\Installer\\\\\(Features\|Products\|UpgradeCodes\)\]' \
                      -e '\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\UpgradeCodes\]' \
                      -e '\[Software\\\\Microsoft\\\\Windows\\\\CurrentVersion\\\\Installer\\\\UserData\\\\[^\\]*\\\\\(Components\|Products\)\]' \
                      -e '\[Software\\\\Wine\\\\\(FileOpenAssociations\|MenuFiles\)\]' \
                      -e '\[Software\\\\Microsoft\\\\Avalon.Graphics\\\\DISPLAY[0-9]*\]' \
                      -e '\[Software\\\\Microsoft\\\\Windows NT\\\\CurrentVersion\\\\Fonts\]' || true)
    [ -z "$left" ] || fail "$2 left registry keys: $left"
    left=$(grep -a -i -h quarnel "$WINEPREFIX/user.reg" "$WINEPREFIX/system.reg" || true)
    [ -z "$left" ] || fail "$2 left registry data: $left"
}

echo "Starting a fresh Wine prefix"
"$wine" wineboot --init
"$wineserver" -w
drive=$WINEPREFIX/drive_c
user=$(ls "$drive/users" | grep -v -x -i public | head -n 1)
installed=$drive/users/$user/AppData/Local/Programs/Quarnel
installed_win="C:\\users\\$user\\AppData\\Local\\Programs\\Quarnel"
shortcut="$drive/users/$user/AppData/Roaming/Microsoft/Windows/Start Menu/Programs/Quarnel.lnk"
mkdir -p "$drive/quarnel-test"
"$expect" "$drive/quarnel-test/Überfall Ωmega.skm" first
snapshot fresh

# A silent install, as an administrator's script runs it: no window, no question, no administrator.
msiexec /i "$msi" /qn || fail "msiexec /i /qn failed"
mkdir -p "$work/zip"
(cd "$work/zip" && cmake -E tar xf "$zip")
(cd "$work/zip" && find . -type f) | while read -r file; do
    cmp -s "$work/zip/$file" "$installed/$file" || fail "the install's $file is not the zip's"
done
[ "$(cd "$installed" && find . -type f | wc -l)" = "$(cd "$work/zip" && find . -type f | wc -l)" ] ||
    fail "the install holds other files than the zip: $(cd "$installed" && find . -type f)"

# The Start menu entry starts quarnel.exe with the program's icon (the .lnk holds both paths).
[ -f "$shortcut" ] || fail "no Start menu entry Quarnel.lnk"
tr -d '\0' <"$shortcut" | grep -a -q -F "$installed_win\\quarnel.exe" || fail "the Start menu entry does not start quarnel.exe"
entry=$(entries)
[ "$(echo "$entry" | grep -c .)" = 1 ] || fail "Apps & Features entries after the install: $entry"
[ "${entry#* }" = "$version" ] || fail "Apps & Features shows the version ${entry#* }"
product=${entry% *}
product=${product##*\\}
[ -n "$(reg_value "$uninstall_root\\$product" Publisher)" ] || fail "Apps & Features shows no publisher"
[ "$(reg_value "$uninstall_root\\$product" InstallLocation)" = "$installed_win\\" ] || fail "Apps & Features shows no install folder"
# The product's icon, as Windows Installer records it for Apps & Features (in the product's key
# made from its code: the GUID's groups reversed).
packed=$(echo "$product" | tr -d '{}' | awk -F- '{
    r = ""; for (i = 1; i <= 3; i++) { s = ""; for (j = length($i); j > 0; j--) s = s substr($i, j, 1); r = r s }
    for (i = 4; i <= 5; i++) for (j = 1; j < length($i); j += 2) r = r substr($i, j + 1, 1) substr($i, j, 1)
    print r }')
icon=$(reg_value "HKCU\\Software\\Microsoft\\Installer\\Products\\$packed" ProductIcon)
[ -n "$icon" ] || fail "Apps & Features has no icon for Quarnel"
tr -d '\0' <"$shortcut" | grep -a -q -F "$icon" || fail "the Start menu entry does not show the program icon $icon"
icon_file=$drive/$(echo "${icon#C:\\}" | tr '\\' /)
[ -s "$icon_file" ] || fail "the program icon $icon is not there"

# The .skm type, all under HKEY_CURRENT_USER\Software\Classes.
classes='HKCU\Software\Classes'
[ "$(reg_value "$classes\\Quarnel.Mission" "")" = "Skirmish mission" ] || fail "the type's name: $(reg_value "$classes\\Quarnel.Mission" "")"
[ "$(reg_value "$classes\\Quarnel.Mission\\DefaultIcon" "")" = "$installed_win\\quarnel.exe,1" ] ||
    fail "the type's icon is not the mission icon in quarnel.exe: $(reg_value "$classes\\Quarnel.Mission\\DefaultIcon" "")"
has_key "$classes\\.skm\\OpenWithProgids" && "$wine" reg query "$classes\\.skm\\OpenWithProgids" /v Quarnel.Mission >/dev/null 2>&1 ||
    fail "Quarnel is not offered in Open with (OpenWithProgids)"
progid=$(reg_value "$classes\\.skm" "")
[ "$progid" = Quarnel.Mission ] || fail ".skm opens with '$progid', though no other program held it"

# A double-click on a mission, as Explorer does it: the type's open command with the file's path as %1.
# (Debian's Wine 8 does not merge the user's Software\Classes into HKEY_CLASSES_ROOT, so Wine's own
# start command does not see a per-user type; the command is read and run here instead.)
command=$(reg_value "$classes\\$progid\\shell\\open\\command" "")
[ "$command" = "\"$installed_win\\quarnel.exe\" \"%1\"" ] || fail "the open command is $command"
program=${command#\"}
program=${program%%\"*}
mission='C:\quarnel-test\Überfall Ωmega.skm'
(cd "$drive" && exec "$wine" "$program" "$mission") &
win=$(find_window "^$version_text") || fail "no window titled $version_text after opening a mission"
wait_until '[ "$(xdotool getwindowname "$win")" = "$version_text  -  [Überfall Ωmega.skm]" ]' ||
    fail "the window's title after opening a mission: $(xdotool getwindowname "$win")"
xdotool windowfocus --sync "$win" key alt+F4
wait_until '! xdotool search --onlyvisible --name "^$version_text" >/dev/null' || fail "the window did not close on Alt+F4"
"$wineserver" -w

# A silent uninstall leaves nothing of the installer's.
msiexec /x "$msi" /qn || fail "msiexec /x /qn failed"
[ -z "$(entries)" ] || fail "Apps & Features still lists $(entries)"
nothing_left fresh "the uninstall"
echo "Installed, opened a mission, uninstalled: nothing left"

# Another program holds .skm; an older package is installed, then this one over it.
"$wine" reg add "$classes\\.skm" /ve /d Other.Mission /f >/dev/null
"$wineserver" -w # the registry reaches its files when the server ends
snapshot other
"$make_installer" --version 0.0.1 "$zip" "$work/older" >/dev/null
msiexec /i "$work/older/quarnel-0.0.1-windows-x64.msi" /qn || fail "the older package did not install"
[ "$(entries | cut -d' ' -f2)" = 0.0.1 ] || fail "Apps & Features after the older package: $(entries)"
msiexec /i "$msi" /qn || fail "the upgrade failed"
entry=$(entries)
[ "$(echo "$entry" | grep -c .)" = 1 ] && [ "${entry#* }" = "$version" ] || fail "Apps & Features after the upgrade: $entry"
cmp -s "$work/zip/quarnel.exe" "$installed/quarnel.exe" || fail "the upgrade did not install quarnel.exe"
msiexec /i "$msi" /qn || fail "installing the same package again failed"
[ "$(entries)" = "$entry" ] || fail "Apps & Features after installing the same package again: $(entries)"
if msiexec /i "$work/older/quarnel-0.0.1-windows-x64.msi" /qn; then
    fail "the older package went over the newer one"
fi
[ "$(entries)" = "$entry" ] || fail "Apps & Features after the refused downgrade: $(entries)"
[ "$(reg_value "$classes\\.skm" "")" = Other.Mission ] || fail "the install took .skm from the program that held it"
"$wine" reg query "$classes\\.skm\\OpenWithProgids" /v Quarnel.Mission >/dev/null 2>&1 ||
    fail "Quarnel is not offered in Open with beside the other program"
msiexec /x "$msi" /qn || fail "msiexec /x /qn failed after the upgrade"
[ "$(reg_value "$classes\\.skm" "")" = Other.Mission ] || fail "the uninstall took .skm from the program that holds it"
nothing_left other "the uninstall after the upgrade"
echo "windows.installer: install, Start menu entry, .skm type, opening a mission, upgrade and uninstall all as expected under Wine"
