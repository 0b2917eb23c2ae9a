#!/usr/bin/env bash
# Installs, builds, prepares the sample series and starts the program (under xvfb-run without a display).
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x scripts/make-sample.sh ]; then scripts/make-sample.sh; fi
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" build/velmoran "$@"
fi
exec build/velmoran "$@"
