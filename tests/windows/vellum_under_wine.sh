#!/usr/bin/env bash
# The real vellum.exe under Wine and an X display, run twice from a program
# folder of its own. The profile has no Vellum.prefs at first, so the program
# folder's serves: its user name is shown and the window and controls are as
# a user finds them, drawn (a screenshot is kept). A close request ends the
# program with code 0 and saves the settings in the profile folder, the default
# local folder with Windows separators; from then on the profile's file wins.
# Usage: vellum_under_wine.sh <dist folder> <window_probe.exe> <screenshot.png>
set -uo pipefail
dist=$1 probe=$2 shot=$3
wine_run=$(cd "$(dirname "$0")" && pwd)/wine-run
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 1; }
profile=$("$wine_run" winepath -u "$("$wine_run" cmd /c 'echo %USERPROFILE%' | tr -d '\r')")
prefs=${profile%/}/Vellum.prefs
folder=$(mktemp -d)
trap 'rm -rf "$folder"' EXIT
cp "$dist/vellum.exe" "$folder/" && ln -s "$dist/gfx" "$dist/locale" "$folder/"
cd "$folder"  # gfx\, locale\ and svn\ are looked up in the current folder
rm -f "$prefs"

status=0
for user in ann zed; do
  printf 'SVNUsername = %s\n' "$user" >Vellum.prefs
  "$wine_run" vellum.exe &
  program=$!
  "$wine_run" "$probe" || status=1  # expects the user name "ann"
  sleep 1  # the first paint after the check
  import -window root "$shot" || status=1
  # Something is drawn: a blank or single-colour screen has a few colours only.
  colours=$(convert "$shot" -format %k info: 2>/dev/null || echo 0)
  echo "screenshot $shot: $colours colours"
  [ "$colours" -gt 20 ] || status=1

  "$wine_run" taskkill /im vellum.exe >/dev/null  # a close request, not a kill
  for _ in $(seq 1 300); do kill -0 $program 2>/dev/null || break; sleep 0.1; done
  if kill -0 $program 2>/dev/null; then
    echo "FAIL: vellum.exe still runs after the close request"
    kill $program
    exit 1
  fi
  wait $program
  code=$?
  echo "vellum.exe exit code: $code"
  [ $code -eq 0 ] || status=1
  cat "$prefs" || status=1
  grep -q '^SVNUsername = ann' "$prefs" || { echo "FAIL: user name not saved"; status=1; }
  grep -qF 'repositeries\marrowdepot\' "$prefs" ||
    { echo "FAIL: no default local folder with Windows separators"; status=1; }
done
exit $status
