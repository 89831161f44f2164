#!/bin/sh
# Regenerates the pictures in this folder: compiles make-pictures.cpp in a temporary
# folder, draws every picture with it and turns the banner and side pictures into JPEG
# files (quality 90, no chroma subsampling so that the gold lettering stays clean).
# Needs g++, the Qt 6 Gui development files, pkg-config and ImageMagick's convert.
set -e
here=$(cd "$(dirname "$0")" && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

g++ -std=c++20 -O1 -fPIC "$here/make-pictures.cpp" -o "$work/make-pictures" \
    $(pkg-config --cflags --libs Qt6Gui)
QT_QPA_PLATFORM=offscreen "$work/make-pictures" "$work"

for name in BannerImage BannerFiller SideImage; do
    convert "$work/$name.png" -strip -sampling-factor 1x1 -quality 90 "$here/$name.jpg"
done
for name in TreeFolderClosed TreeFolderDocument TreeDocument TreeEnvelope TreeGear TreePerson \
        TipBulb ProgramIcon; do
    convert "$work/$name.png" -strip -define png:color-type=6 "$here/$name.png"
done
echo "pictures written to $here"
