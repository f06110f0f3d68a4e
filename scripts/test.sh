#!/usr/bin/env bash
# Configures, builds and runs every test. Network tests need root (they make
# their own network namespaces) and skip without it.
#   scripts/test.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
cd "$(dirname "$0")/.."
build=${1:-build}
shift || true
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@"
ninja -C "$build"
ctest --test-dir "$build" --output-on-failure --timeout 600 -j2
