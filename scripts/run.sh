#!/usr/bin/env bash
# Installs, builds, prepares the sample series and starts the program (under xvfb-run without a display)
# in build/, where the build puts the help file beside the program, so that F1 finds it.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh
scripts/build.sh
if [ -x scripts/make-sample.sh ]; then scripts/make-sample.sh; fi
cd build
if [ -z "${DISPLAY:-}" ]; then
  exec xvfb-run -a -s "-screen 0 1280x1024x24" ./velmoran "$@"
fi
exec ./velmoran "$@"
