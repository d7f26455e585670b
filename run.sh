#!/usr/bin/env bash
# Builds the project and starts the sample program.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
dendrokit_install_missing "${DENDROKIT_BUILD_PACKAGES[@]}"
build=${DENDROKIT_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
cmake --build "$build"
# Until the sample window exists: cluster the bundled example and print its merge table.
exec "$build/tools/hclust" --header --method ward --distance euclid tools/examples/iris-small.csv "$@"
