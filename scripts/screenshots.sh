#!/usr/bin/env bash
# Screenshots of the main window on each page, the help menu and the wait
# dialog, in English and in simplified Chinese, taken on a virtual X display:
#   scripts/screenshots.sh [folder] [build-dir]
# Writes folder/en/*.png and folder/zh/*.png (default folder: screenshots/).
set -euo pipefail
cd "$(dirname "$0")/.."
out=$(realpath -m "${1:-screenshots}")
build=${2:-build}

[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja
ninja -C "$build" gui_screenshots

for lang in en:en_US.UTF-8 zh:zh_CN.UTF-8; do
  name=${lang%%:*}
  locale=${lang#*:}
  mkdir -p "$out/$name"
  LC_ALL=$locale QT_QPA_PLATFORM=xcb \
    xvfb-run --auto-servernum --server-args="-screen 0 1280x800x24" \
    "$build/bin/gui_screenshots" "$out/$name"
done
echo "screenshots in $out"
