#!/usr/bin/env bash
# Fuzzes the picture decoders and the SER reader: builds the libFuzzer targets of fuzz/ with clang,
# AddressSanitizer and UBSan into build-fuzz/, writes a seed corpus, then runs each picture fuzzer
# for SECONDS (default 60) and the SER one for half of that (a simpler format).
# Kinds run: FUZZ_KINDS (default "bmp jpeg ser"; "ico" and "wmf" exist too). The corpus grows in
# build-fuzz/corpus/KIND across runs; a crashing input is kept as build-fuzz/artifacts/KIND-*.
# Exits non-zero when a fuzzer finds a crash, a leak, a timeout or a memory blow-up.
set -euo pipefail
run_seconds="${1:-60}"
kinds="${FUZZ_KINDS:-bmp jpeg ser}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build "$build" -j2

export QT_QPA_PLATFORM=offscreen
"$build/make_seeds" "$build/seeds"
mkdir -p "$build/artifacts"

status=0
for kind in $kinds; do
  corpus="$build/corpus/$kind"
  mkdir -p "$corpus"
  fuzzer="$build/picture_fuzz_$kind"
  seconds="$run_seconds"
  if [ "$kind" = ser ]; then
    fuzzer="$build/ser_fuzz"
    seconds=$(( (run_seconds + 1) / 2 ))
  fi
  echo "== fuzzing $kind for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len=65536 -rss_limit_mb=2048 \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$build/artifacts/$kind-" \
      "$corpus" "$build/seeds/$kind"; then
    echo "!! fuzzer $kind failed; see $build/artifacts/" >&2
    status=1
  fi
done
exit $status
