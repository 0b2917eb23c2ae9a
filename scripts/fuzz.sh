#!/usr/bin/env bash
# Fuzzes the picture decoders, the SER reader, the list-file reader, the settings reader and the
# reader of the batch passes' journals: builds the libFuzzer targets of fuzz/ with clang,
# AddressSanitizer and UBSan into build-fuzz/, writes a seed corpus, then runs each fuzzer for
# SECONDS (default 60), the SER, settings and journal ones for half of that (simpler formats). The
# list and settings fuzzers also check that what is read, written and read again comes back the same.
# Kinds run: FUZZ_KINDS (default "bmp jpeg ico wmf ser list settings journal"). The corpus grows in
# build-fuzz/corpus/KIND across runs; a crashing input is kept as build-fuzz/artifacts/KIND-*.
# Exits non-zero when a fuzzer finds a crash, a leak, a timeout or a memory blow-up.
set -euo pipefail
run_seconds="${1:-60}"
kinds="${FUZZ_KINDS:-bmp jpeg ico wmf ser list settings journal}"
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
  seconds="$run_seconds"
  max_len=65536
  case "$kind" in
    ser) fuzzer="$build/ser_fuzz"; seconds=$(( (run_seconds + 1) / 2 )) ;;
    settings) fuzzer="$build/settings_fuzz"; seconds=$(( (run_seconds + 1) / 2 )); max_len=8192 ;;
    journal) fuzzer="$build/journal_fuzz"; seconds=$(( (run_seconds + 1) / 2 )) ;;
    list) fuzzer="$build/list_fuzz" ;;
    *) fuzzer="$build/picture_fuzz_$kind" ;;
  esac
  echo "== fuzzing $kind for ${seconds}s"
  if ! "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$build/artifacts/$kind-" \
      "$corpus" "$build/seeds/$kind"; then
    echo "!! fuzzer $kind failed; see $build/artifacts/" >&2
    status=1
  fi
done
exit $status
