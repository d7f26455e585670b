#!/usr/bin/env bash
# Builds the sample program (only what it needs) and starts it. Without a display it renders
# the window off-screen after start-up to build/sample.png and prints that path.
set -euo pipefail
cd "$(dirname "$0")"
. scripts/deps.sh
dendrokit_install_missing "${DENDROKIT_BUILD_PACKAGES[@]}" >&2
build=${DENDROKIT_BUILD_DIR:-build}
if [ ! -f "$build/build.ninja" ]; then
  cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release >&2
fi
cmake --build "$build" --target dendrokit-sample >&2
program="$build/app/dendrokit-sample"
if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "No display (neither DISPLAY nor WAYLAND_DISPLAY is set): rendering the window off-screen."
  # Qt wants a private runtime directory; without a session there is none.
  export XDG_RUNTIME_DIR=${XDG_RUNTIME_DIR:-/tmp/runtime-$(id -u)}
  mkdir -p "$XDG_RUNTIME_DIR" && chmod 700 "$XDG_RUNTIME_DIR"
  QT_QPA_PLATFORM=offscreen "$program" --screenshot "$build/sample.png"
  readlink -f "$build/sample.png"
  exit 0
fi
exec "$program" "$@"
