#!/usr/bin/env bash
# Installs, builds and runs every test headless, with settings and trash in temporary folders.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
# The decoders are fuzzed for a bounded time first, so that the test summary closes the output.
scripts/fuzz.sh "${FUZZ_SECONDS:-60}"
(cd build && ctest --output-on-failure -j"$(nproc)")
