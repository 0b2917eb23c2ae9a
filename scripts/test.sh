#!/usr/bin/env bash
# Installs, builds and runs every test headless, with settings and trash in temporary folders: the
# readers fuzzed for a bounded time, the tests built a second time and run under AddressSanitizer
# and UndefinedBehaviorSanitizer, then the tests of the ordinary build.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
export QT_QPA_PLATFORM=offscreen
export XDG_CONFIG_HOME="$tmp/config" XDG_DATA_HOME="$tmp/data" XDG_RUNTIME_DIR="$tmp/run"
mkdir -p "$XDG_CONFIG_HOME" "$XDG_DATA_HOME" "$XDG_RUNTIME_DIR"; chmod 700 "$XDG_RUNTIME_DIR"
# Fuzzing and the sanitizer run come first, so that the test summary closes the output. Each
# reader is fuzzed FUZZ_SECONDS (25 by default; the simpler ones half of that).
scripts/fuzz.sh "${FUZZ_SECONDS:-25}"
scripts/sanitize.sh
(cd build && ctest --output-on-failure -j"$(nproc)")
