#!/usr/bin/env bash
# Shows the theme gallery on a virtual X display, keeps a screenshot of it
# (PNG) with the gallery's sample list in the artefact folder, and compares
# the screen at every named sample point with the colour the gallery's
# offscreen painting has there. Fails on the first mismatch.
# Usage: tools/skin-screenshots.sh [build folder] [artefact folder] [display]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build/default}
out=${2:-$build/artefacts/skin}
display=${3:-:97}
gallery="$build/tests/skin_gallery"
for tool in Xvfb import convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "skin screenshots: SKIPPED, $tool is not installed"
        exit 0
    fi
done
[ -x "$gallery" ] || { echo "skin screenshots: $gallery is not built" >&2; exit 1; }
mkdir -p "$out"
rm -f "$out/gallery.png" "$out/samples.txt" "$out/compared.txt"

Xvfb "$display" -screen 0 1024x768x24 -nolisten tcp >/dev/null 2>&1 &
xvfb=$!
gallery_pid=
cleanup() {
    [ -n "$gallery_pid" ] && kill "$gallery_pid" 2>/dev/null || true
    kill "$xvfb" 2>/dev/null || true
}
trap cleanup EXIT
sleep 1

DISPLAY="$display" QT_QPA_PLATFORM=xcb "$gallery" >"$out/samples.txt" 2>"$out/gallery.log" &
gallery_pid=$!
for _ in $(seq 1 100); do
    [ -s "$out/samples.txt" ] && break
    sleep 0.2
done
sleep 0.5
[ -s "$out/samples.txt" ] || { echo "skin screenshots: the gallery printed no samples" >&2; exit 1; }
import -display "$display" -window root "$out/gallery.png"

failed=0
while read -r name x y expected; do
    shown=$(convert "$out/gallery.png" -format '%[hex:p{'"$x"','"$y"'}]' info: | cut -c1-6 | tr 'A-F' 'a-f')
    if [ "$shown" = "$expected" ]; then
        echo "$name $x $y $expected ok" >>"$out/compared.txt"
    else
        echo "$name $x $y offscreen $expected screen $shown MISMATCH" >>"$out/compared.txt"
        failed=1
    fi
done <"$out/samples.txt"
cat "$out/compared.txt"
count=$(wc -l <"$out/samples.txt")
if [ "$failed" = 0 ]; then
    echo "skin screenshots: $count sample points match ($out/gallery.png)"
else
    echo "skin screenshots: the screen differs from the offscreen painting ($out/gallery.png)" >&2
    exit 1
fi
