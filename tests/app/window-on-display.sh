#!/usr/bin/env bash
# Starts the window on a virtual display under a window manager (openbox)
# and checks where its frame stands.
#   window-on-display.sh PROGRAM SCREEN SCALE stored|fits|argument
# SCREEN is the display's size (1280x1024), SCALE Qt's scale factor. "stored":
# the frame is the stored 812 x 612 at (126, 112); "fits": the whole frame
# lies on the screen; "argument": started with a point file that is not
# there, the window imports it and shows the error box.
set -euo pipefail
program=$1 screen=$2 scale=$3 expect=$4

if [ -z "${CURVELLA_ON_DISPLAY:-}" ]; then
  export CURVELLA_ON_DISPLAY=1
  exec xvfb-run -a -s "-screen 0 ${screen}x24" "$0" "$@"
fi

unset QT_QPA_PLATFORM
export QT_SCALE_FACTOR=$scale XDG_CONFIG_HOME
XDG_CONFIG_HOME=$(mktemp -d)
openbox >/dev/null 2>&1 &
manager=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
arguments=()
[ "$expect" = argument ] && arguments=("$XDG_CONFIG_HOME/missing.csv")
"$program" "${arguments[@]}" >/dev/null 2>&1 &
pid=$!
trap 'kill $pid $manager 2>/dev/null || true; rm -rf "$XDG_CONFIG_HOME"' EXIT

if [ "$expect" = argument ]; then
  for _ in $(seq 100); do
    # The error box carries the application's title alone.
    if xdotool search --name '^Curvella$' >/dev/null 2>&1; then
      echo "the import of the argument showed its error box"
      exit 0
    fi
    sleep 0.1
  done
  echo "no error box for the missing file named on the command line" >&2
  exit 1
fi

window=
frame=
for _ in $(seq 100); do
  window=$(xdotool search --name '^Curvella v\.1\.1$' 2>/dev/null | head -n 1 || true)
  if [ -n "$window" ]; then
    frame=$(xprop -id "$window" _NET_FRAME_EXTENTS 2>/dev/null | sed -n 's/.* = //p' | tr -d ' ')
    [ -n "$frame" ] && break
  fi
  sleep 0.1
done
[ -n "$frame" ] || { echo "the window did not open under the window manager" >&2; exit 1; }
# The window fits its frame once the manager has reported it.
sleep 1
IFS=, read -r left right top bottom <<<"$(xprop -id "$window" _NET_FRAME_EXTENTS | sed -n 's/.* = //p' | tr -d ' ')"
info=$(xwininfo -id "$window")
value() { sed -n "s/^ *$1: *//p" <<<"$info"; }
x=$(($(value 'Absolute upper-left X') - left))
y=$(($(value 'Absolute upper-left Y') - top))
width=$(($(value Width) + left + right))
height=$(($(value Height) + top + bottom))
echo "frame ${width}x${height} at ($x, $y) on ${screen}, scale $scale"

case $expect in
  stored)
    [ "$x,$y,$width,$height" = "126,112,812,612" ] || { echo "expected 812x612 at (126, 112)" >&2; exit 1; } ;;
  fits)
    IFS=x read -r screenWidth screenHeight <<<"$screen"
    if [ "$x" -lt 0 ] || [ "$y" -lt 0 ] || [ $((x + width)) -gt "$screenWidth" ] ||
       [ $((y + height)) -gt "$screenHeight" ]; then
      echo "the frame leaves the screen" >&2
      exit 1
    fi ;;
esac
