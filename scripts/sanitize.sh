#!/usr/bin/env bash
# Builds the test executables a second time with AddressSanitizer and UndefinedBehaviorSanitizer into
# build-asan/ (the program and the benchmarks are left out) and runs them: any report of either
# sanitizer, a leak included, fails the run. Expects the environment of scripts/test.sh (headless,
# temporary settings and trash).
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
build="${ASAN_BUILD_DIR:-$root/build-asan}"

targets=()
for dir in "$root"/tests/*/; do
  name="$(basename "$dir")"
  [ "$name" = support ] || targets+=("test_$name")
done

# -O1 and line tables only: the build costs about what the ordinary one does, and the reports still
# name files and lines.
cmake -S "$root" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_CXX_FLAGS_RELWITHDEBINFO="-O1 -g1 -DNDEBUG" -DVELMORAN_SANITIZE=ON >/dev/null
# The build's own lines go to a log; a failed build shows its end.
echo "== building the tests under AddressSanitizer and UBSan (log: $build/build.log)"
if ! cmake --build "$build" -j"$(nproc)" --target "${targets[@]}" >"$build/build.log" 2>&1; then
  grep -E "error|FAILED" "$build/build.log" | head -40 >&2 || true
  tail -40 "$build/build.log" >&2
  exit 1
fi

# No strict_string_checks: it reports a strndup of a buffer without a final NUL, which is lawful C and
# what libxkbcommon does when the installed program starts on a real X display.
export ASAN_OPTIONS="halt_on_error=1:abort_on_error=1:detect_leaks=1:detect_stack_use_after_return=1:check_initialization_order=1"
export UBSAN_OPTIONS="halt_on_error=1:print_stacktrace=1"
(cd "$build" && ctest --output-on-failure -j"$(nproc)")
