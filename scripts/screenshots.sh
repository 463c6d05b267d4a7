#!/bin/bash
# screenshots.sh: remakes docs/screenshot-default.png and docs/screenshot-aurora.png, the
# README's pictures: the real zylora.exe under Wine on an Xvfb of its own, showing a sample
# picture in each bundled skin, cut from a capture of the screen. Then the same under openbox
# on screens of 96, 144 and 192 DPI (docs/screenshot-<skin>-<dpi>dpi.png), each scale in a
# linked copy of the Wine prefix with its LogPixels.
set -euo pipefail

root="$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)"
cd "$root"

bash scripts/build.sh
source scripts/wine-env.sh

picture=Samples/photo.jpg
work="$(mktemp -d)"
xvfb_pid=
app_pid=
openbox_pid=
prefixes=()
cleanup() {
  [ -n "$app_pid" ] && kill -- -"$app_pid" 2>/dev/null
  for prefix in "${prefixes[@]}"; do WINEPREFIX="$prefix" wineserver -k 2>/dev/null; done
  [ -n "$openbox_pid" ] && kill "$openbox_pid" 2>/dev/null
  [ -n "$xvfb_pid" ] && kill "$xvfb_pid" 2>/dev/null
  wait 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT

displayfile="$work/display"
Xvfb -displayfd 3 -screen 0 1920x1080x24 -nolisten tcp 3>"$displayfile" >/dev/null 2>&1 &
xvfb_pid=$!
for _ in $(seq 300); do
  [ -s "$displayfile" ] && break
  sleep 0.1
done
export DISPLAY=":$(tr -dc 0-9 <"$displayfile")"

# One shot: a fresh copy of the runnable folder whose settings file picks the skin; in the
# Wine prefix given, or the project's.
shoot() {
  local skin="$1" out="$2" prefix="${3:-$WINEPREFIX}"
  local app="$work/$skin-$(basename "$out")"
  cp -r "$ZYLORA_WIN_DIST" "$app"
  printf '[Placement]\r\nX=200\r\nY=150\r\n[Skin]\r\nDir=Skins/%s\r\n' "$skin" >"$app/zylora.ini"
  (cd "$app" && export WINEPREFIX="$prefix" &&
     exec setsid "$ZYLORA_WINE" zylora.exe "$("$ZYLORA_WINE" winepath -w "$app/$picture")" </dev/null >"$work/$skin.log" 2>&1) &
  app_pid=$!

  local window=
  for _ in $(seq 600); do
    window="$(xdotool search --onlyvisible --name '^Zylora$' 2>/dev/null | head -n 1)" && [ -n "$window" ] && break
    sleep 0.1
  done
  [ -n "$window" ] || { echo "screenshots: no window for $skin" >&2; cat "$work/$skin.log" >&2; exit 1; }
  # The frame takes the active look once the window has the focus, and the picture is
  # drawn after the window is shown: capture until two captures in a row agree.
  xdotool windowfocus "$window" 2>/dev/null || true
  local previous=
  for _ in $(seq 40); do
    sleep 0.5
    import -window root "$work/shot.png"
    local sum
    sum="$(md5sum <"$work/shot.png")"
    [ "$sum" = "$previous" ] && break
    previous="$sum"
  done
  # Wine paints the desktop black, and without a compositing manager the frame's soft
  # shadows show as black too: the window is what isn't black, and the black around it
  # (outside the rounded corners and the shadows) becomes transparent.
  convert "$work/shot.png" -bordercolor black -border 1 -fuzz 0 -trim +repage \
    -bordercolor black -border 1 -alpha set -fill none -draw 'color 0,0 floodfill' -shave 1x1 \
    -define png:exclude-chunks=date,time -strip "$out"

  xdotool key --window "$window" ctrl+w 2>/dev/null || true
  for _ in $(seq 100); do
    kill -0 "$app_pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -- -"$app_pid" 2>/dev/null || true
  wait "$app_pid" 2>/dev/null || true
  app_pid=
  echo "screenshots: $out"
}

# A linked copy of the project's prefix whose screen has the dots per inch: Wine writes its
# registry files anew when it saves them, and the two changed here are copies.
scaled_prefix() {
  local dpi="$1" prefix="$work/prefix-$1" value
  value="\"LogPixels\"=dword:$(printf '%08x' "$dpi")"
  cp -al "$WINEPREFIX" "$prefix"
  for reg in user.reg system.reg; do
    rm "$prefix/$reg"
    sed "s/\"LogPixels\"=dword:[0-9a-f]*/$value/" "$WINEPREFIX/$reg" >"$prefix/$reg"
  done
  echo "$prefix"
}

mkdir -p docs
shoot Default docs/screenshot-default.png
shoot Aurora docs/screenshot-aurora.png

openbox --sm-disable >/dev/null 2>&1 &
openbox_pid=$!
for _ in $(seq 100); do
  xprop -root _NET_SUPPORTING_WM_CHECK 2>/dev/null | grep -q 'window id' && break
  sleep 0.1
done
for dpi in 96 144 192; do
  prefix="$(scaled_prefix "$dpi")"
  prefixes+=("$prefix")
  shoot Default "docs/screenshot-default-${dpi}dpi.png" "$prefix"
  shoot Aurora "docs/screenshot-aurora-${dpi}dpi.png" "$prefix"
  WINEPREFIX="$prefix" wineserver -k 2>/dev/null || true
done
