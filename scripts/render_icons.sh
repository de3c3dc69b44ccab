#!/usr/bin/env bash
# Renders the SVG sources in resources/icons/ to PNG pictures, resources/icons/<size>/<name>.png at
# 16, 24, 32 and 48 pixels (the program icon and the mission icon also at 64, 128 and 256, the
# sizes software centres and file managers show, which the program itself never draws); beside
# each of the four toolbar sizes, the same pixels as the program stores them,
# <name>.rgba (red, green, blue and alpha bytes, row by row, not premultiplied), except for the
# mission icon, which the program does not draw; and the Windows .ico files of the program icon and
# of the mission icon (which quarnel.exe carries for Explorer to show on .skm files). Run it by hand
# after changing an SVG and commit what it writes: the build uses
# the committed files and needs neither librsvg nor ImageMagick.
#
# Needs rsvg-convert (librsvg2-bin) and ImageMagick's convert (imagemagick).
set -euo pipefail
icons=$(cd "$(dirname "$0")/../resources/icons" && pwd)

for tool in rsvg-convert convert; do
    if ! command -v "$tool" >/dev/null; then
        echo "error: $tool is not installed (apt-get install librsvg2-bin imagemagick)" >&2
        exit 1
    fi
done

sizes=(16 24 32 48)
for name in quarnel mission; do
    for size in 64 128 256; do
        mkdir -p "$icons/$size"
        rsvg-convert --width "$size" --height "$size" --output "$icons/$size/$name.png" "$icons/$name.svg"
    done
done
for svg in "$icons"/*.svg; do
    name=$(basename "$svg" .svg)
    for size in "${sizes[@]}"; do
        mkdir -p "$icons/$size"
        rsvg-convert --width "$size" --height "$size" --output "$icons/$size/$name.png" "$svg"
        # The mission file's icon is only installed for file managers; the program never draws it.
        if [ "$name" != mission ]; then
            convert "$icons/$size/$name.png" -depth 8 "RGBA:$icons/$size/$name.rgba"
        fi
    done
done

# Windows picks the size it needs from the .ico; every picture is the exact rendering above.
# -strip leaves out the PNG time stamps, so that an unchanged picture renders to the same bytes.
for name in quarnel mission; do
    pngs=()
    for size in "${sizes[@]}"; do
        pngs+=("$icons/$size/$name.png")
    done
    convert "${pngs[@]}" -strip "$icons/$name.ico"
done
