#!/usr/bin/env bash
# Builds the tests and what they use, then runs every test (the long soak runs stay out:
# ctest -L soak).
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
dendrokit_install_missing "${DENDROKIT_BUILD_PACKAGES[@]}"
build=${DENDROKIT_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release
fi
# The tests and what they run; benchmarks and examples are left to `cmake --build build`.
cmake --build "$build" --target dendrokit_tests
export QT_QPA_PLATFORM=offscreen
# Qt wants a private runtime directory; without a session there is none.
export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
ctest --test-dir "$build" -LE soak --output-on-failure -j "$(nproc)"
