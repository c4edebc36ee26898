#!/bin/sh
# Rebuilds the pictures under resources/pictures/ from scripts/drawpictures.cpp.
set -e
root=$(cd "$(dirname "$0")/.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
g++ -std=c++17 -fPIC -O1 "$root/scripts/drawpictures.cpp" -o "$work/drawpictures" \
    $(pkg-config --cflags --libs Qt5Gui)
QT_QPA_PLATFORM=offscreen "$work/drawpictures" "$root/resources/pictures"
