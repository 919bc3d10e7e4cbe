#!/bin/sh
# Installs the build into a temporary prefix and starts the installed program
# as its menu entry does, from the user's home: it must find its catalogue (a
# French title) and its icons, take the home for the default local folder and
# end with code 0 on a close request.
# Usage: installed_program.sh BUILD_DIR SOURCE_DIR CLOSE_WINDOW_SCRIPT (on a display)
set -eu
build=$1 source=$2 close=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
fail() { echo "FAILED: $*" >&2; exit 1; }

prefix=$work/prefix
cmake --install "$build" --prefix "$prefix" >/dev/null
entry=$prefix/share/applications/vellum.desktop
grep -q '^Exec=/.*/bin/vellum$' "$entry" || fail "the menu entry starts no installed program"
! grep -q '^Path=' "$entry" || fail "the menu entry sets a working folder"

home=$work/home
mkdir -p "$home/.config"
printf 'language = fr\n' > "$home/.config/Vellum.prefs"
cd "$home"
HOME=$home XDG_CONFIG_HOME=$home/.config "$prefix/bin/vellum" &
pid=$!
title=$(sed -n '/^msgid "Vellum SubVersion Tiny FrontEnd"$/{n;s/^msgstr "\(.*\)"$/\1/p}' \
        "$source/data/locale/fr.po")
win=$(timeout 60 xdotool search --sync --onlyvisible --pid "$pid" | tail -1)
[ "$(xdotool getwindowname "$win")" = "$title" ] || fail "title $(xdotool getwindowname "$win")"
xprop -id "$win" _NET_WM_ICON | grep -q CARDINAL || fail "no window icon"
/usr/bin/python3 "$close" "$win"
rc=0
wait "$pid" || rc=$?
[ "$rc" = 0 ] || fail "Vellum ended with $rc"
grep -q "^SVNLocalRepositery = $home/" "$home/.config/Vellum.prefs" ||
  fail "default local folder: $(grep SVNLocalRepositery "$home/.config/Vellum.prefs")"
echo "installed program: all checks passed"
