#!/usr/bin/env bash
# Fuzzes the picture decoders, the SER reader, the list-file reader, the settings reader and the
# reader of the batch passes' journals: builds the libFuzzer targets of fuzz/ with clang,
# AddressSanitizer and UBSan into build-fuzz/, writes a seed corpus, then runs each fuzzer for
# SECONDS (default 60), the SER, settings and journal ones for half of that (simpler formats). The
# list and settings fuzzers also check that what is read, written and read again comes back the same.
# Kinds run: FUZZ_KINDS (default "bmp jpeg ico wmf fits tiff png ser list settings journal"). The corpus grows in
# build-fuzz/corpus/KIND across runs; a crashing input is kept as build-fuzz/artifacts/KIND-*.
# A fuzzer's own output (its progress, and the decoders' warnings about the broken inputs it makes:
# hundreds of thousands of lines) goes to build-fuzz/logs/KIND.log; what is shown is one line per
# fuzzer, and the report of any fuzzer that finds something.
# FUZZ_ARGS: more libFuzzer options for every fuzzer (as -malloc_limit_mb=64). Only the fuzzers of
# the kinds run are built.
# Exits non-zero when a fuzzer finds a crash, a leak, a timeout or a memory blow-up.
set -euo pipefail
run_seconds="${1:-60}"
kinds="${FUZZ_KINDS:-bmp jpeg ico wmf fits tiff png ser list settings journal}"
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${FUZZ_BUILD_DIR:-$root/build-fuzz}"

# The fuzzer of one kind.
fuzzer_of() {
  case "$1" in
    ser|settings|journal|list) echo "${1}_fuzz" ;;
    *) echo "picture_fuzz_$1" ;;
  esac
}

targets="make_seeds"
for kind in $kinds; do targets="$targets $(fuzzer_of "$kind")"; done
cmake -S "$root/fuzz" -B "$build" -G Ninja -DCMAKE_CXX_COMPILER=clang++ >/dev/null
mkdir -p "$build/artifacts" "$build/logs"
# shellcheck disable=SC2086
if ! cmake --build "$build" -j2 --target $targets >"$build/logs/build.log" 2>&1; then
  tail -n 60 "$build/logs/build.log" >&2
  echo "!! the fuzzers did not build; see $build/logs/build.log" >&2
  exit 1
fi

export QT_QPA_PLATFORM=offscreen
"$build/make_seeds" "$build/seeds"

# The value of one of libFuzzer's final statistics in a log ("?" when it is not there).
final_stat() { grep -o "^stat::$1: *[0-9.]*" "$2" | tail -n 1 | sed 's/.*: *//' | grep . || echo "?"; }

# A fuzzer's report: from its first error line to the end of the log (the sanitizer's or
# libFuzzer's account, the stack, the input kept); the end of the log when no line says error.
report() {
  if grep -qE '==[0-9]+== ?ERROR|ERROR: libFuzzer|^ALARM:|runtime error:' "$1"; then
    awk '/==[0-9]+== ?ERROR|ERROR: libFuzzer|^ALARM:|runtime error:/ { on = 1 } on' "$1" | head -n 300
  else
    tail -n 60 "$1"
  fi
}

status=0
passed=0
failed=0
for kind in $kinds; do
  corpus="$build/corpus/$kind"
  log="$build/logs/$kind.log"
  mkdir -p "$corpus"
  seconds="$run_seconds"
  max_len=65536
  fuzzer="$build/$(fuzzer_of "$kind")"
  asan="${ASAN_OPTIONS:-}"
  lsan="${LSAN_OPTIONS:-}"
  case "$kind" in
    # CFITSIO sizes a table's column list by the header's TFIELDS with calloc and handles a NULL
    # return as a broken file: an absurd count must come back NULL, as it does outside the fuzzer.
    # Its own small leaks on damaged tiles are not ours to report.
    fits)
      asan="${asan:+$asan:}allocator_may_return_null=1"
      lsan="${lsan:+$lsan:}suppressions=$root/fuzz/cfitsio-leaks.supp"
      ;;
  esac
  case "$kind" in
    ser|journal) seconds=$(( (run_seconds + 1) / 2 )) ;;
    settings) seconds=$(( (run_seconds + 1) / 2 )); max_len=8192 ;;
  esac
  # shellcheck disable=SC2086
  if ASAN_OPTIONS="$asan" LSAN_OPTIONS="$lsan" "$fuzzer" -max_total_time="$seconds" -max_len="$max_len" -rss_limit_mb=2048 \
      -timeout=20 -print_final_stats=1 -artifact_prefix="$build/artifacts/$kind-" ${FUZZ_ARGS:-} \
      "$corpus" "$build/seeds/$kind" >"$log" 2>&1; then
    passed=$((passed + 1))
    printf 'ok      %-9s %s runs in %ss, %s new inputs, corpus of %s, peak %s MB\n' "$kind" \
      "$(final_stat number_of_executed_units "$log")" "$seconds" "$(final_stat new_units_added "$log")" \
      "$(find "$corpus" -type f | wc -l)" "$(final_stat peak_rss_mb "$log")"
  else
    failed=$((failed + 1))
    status=1
    echo "FAILED  $kind: the fuzzer found a problem; its report follows (whole log: $log)" >&2
    report "$log" >&2
    echo "!! fuzzer $kind failed; the input that shows it is in $build/artifacts/" >&2
  fi
done
echo "fuzzing: $passed passed, $failed failed (logs in $build/logs/)"
exit $status
