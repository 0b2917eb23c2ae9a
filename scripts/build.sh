#!/usr/bin/env bash
# Configures and builds everything into build/ (program: build/velmoran, its companion frame extractor:
# build/vidsplit, benchmarks: build/bench/).
set -euo pipefail
cd "$(dirname "$0")/.."
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE="${BUILD_TYPE:-RelWithDebInfo}" >/dev/null
cmake --build build -j"$(nproc)"
