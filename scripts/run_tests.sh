#!/usr/bin/env bash
# Sets everything up, builds both configurations and runs every test (unit,
# end-to-end and fuzz-corpus tests) in each: the normal build and the
# AddressSanitizer/UndefinedBehaviorSanitizer build. Where the Windows libraries were already cross-built
# (build-windows/deps, made by scripts/setup_windows.sh), also builds the
# Windows program and runs its tests under Wine; a clean clone, as CI's, has
# none and skips them. Exits non-zero when anything fails.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bash "$root/scripts/setup.sh"
bash "$root/scripts/build.sh" "$root/build"
bash "$root/scripts/build.sh" "$root/build-sanitize" -DCMAKE_BUILD_TYPE=Debug -DQUILLET_SANITIZE=ON

. "$root/scripts/xvfb.sh"
start_xvfb
export LIBGL_ALWAYS_SOFTWARE=1
# No test needs an audio device: OpenAL Soft's null back end unless a test picks another.
export ALSOFT_DRIVERS=null
export ASAN_OPTIONS=detect_leaks=1:abort_on_error=0
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1

status=0
echo "==== Tests of the normal build"
ctest --test-dir "$root/build" --output-on-failure -j2 --timeout 300 || status=1
echo "==== Tests of the sanitizer build"
ctest --test-dir "$root/build-sanitize" --output-on-failure -j2 --timeout 600 || status=1
if [ -d "$root/build-windows/deps" ]; then
  echo "==== Windows build and its tests under Wine"
  { bash "$root/scripts/build_windows.sh" && bash "$root/tests/e2e-windows/run_all.sh"; } || status=1
fi
exit $status
