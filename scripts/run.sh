#!/usr/bin/env bash
# Sets up, builds and starts the program:  scripts/run.sh [build-dir]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
bash scripts/setup.sh
[ -f "$build/build.ninja" ] || cmake -S . -B "$build" -G Ninja
ninja -C "$build" Application HostNics
exec "$build/bin/Application"
