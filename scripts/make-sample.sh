#!/usr/bin/env bash
# Makes ./sample/ (git-ignored): 30 synthetic planet frames as BMP and JPEG, and sample/planete.lst
# listing the BMP frames. Frames already there are kept, so it is quick to run again.
set -euo pipefail
cd "$(dirname "$0")/.."
exec python3 scripts/make_sample.py sample
