#!/usr/bin/env bash
# The real vellum.exe under Wine and an X display: its window, title, size and
# controls, drawn (a screenshot is kept); a close saves Vellum.prefs, exit 0.
# Usage: vellum_under_wine.sh <dist folder> <window_probe.exe> <screenshot.png>
set -uo pipefail
dist=$1 probe=$2 shot=$3
wine_run=$(dirname "$0")/wine-run
[ -n "${DISPLAY:-}" ] || { echo "no X display"; exit 1; }

"$wine_run" "$probe" clean
cd "$dist"  # gfx\, locale\ and svn\ are looked up in the current folder
"$wine_run" vellum.exe &
program=$!

status=0
"$wine_run" "$probe" check || status=1
sleep 1  # the first paint after the check
import -window root "$shot" || status=1
# Something is drawn: a blank or single-colour screen has a few colours only.
colours=$(convert "$shot" -format %k info: 2>/dev/null || echo 0)
echo "screenshot $shot: $colours colours"
[ "$colours" -gt 20 ] || status=1

"$wine_run" "$probe" close || status=1
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
"$wine_run" "$probe" prefs || status=1
exit $status
