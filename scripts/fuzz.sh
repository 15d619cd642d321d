#!/usr/bin/env bash
# Builds the fuzz targets of tests/fuzz/ with clang's libFuzzer, AddressSanitizer
# and UndefinedBehaviorSanitizer, and runs each for a while:
#   scripts/fuzz.sh [-b build folder] [-t seconds per target] [target ...]
# Targets are named as in tests/fuzz/fuzz_NAME.cpp (png, jpeg, tga, datapack,
# ...); all of them by default. Each run starts from the kept corpus in
# tests/fuzz/corpus/NAME/ and grows a working corpus in the build folder; a
# crash, leak, time-out or runaway allocation is saved in the build folder's
# fuzz_artifacts/ and makes the script exit non-zero. Copy a small input that
# found something into tests/fuzz/corpus/NAME/ so the tests replay it for good.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
folder=$root/build-fuzz
seconds=60
while getopts "b:t:" option; do
  case $option in
    b) folder=$OPTARG ;;
    t) seconds=$OPTARG ;;
    *) echo "usage: $0 [-b build folder] [-t seconds] [target ...]" >&2; exit 2 ;;
  esac
done
shift $((OPTIND - 1))

targets=("$@")
if [ ${#targets[@]} -eq 0 ]; then
  for source in "$root"/tests/fuzz/fuzz_*.cpp; do
    name=$(basename "$source" .cpp)
    targets+=("${name#fuzz_}")
  done
fi

CC=clang CXX=clang++ cmake -S "$root" -B "$folder" -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DQUILLET_SANITIZE=ON -DQUILLET_FUZZ=ON \
  -DCMAKE_C_FLAGS=-fsanitize=fuzzer-no-link -DCMAKE_CXX_FLAGS=-fsanitize=fuzzer-no-link >/dev/null
cmake --build "$folder" -j"$(nproc)" --target "${targets[@]/#/fuzz_}"

export ASAN_OPTIONS=detect_leaks=1:allocator_may_return_null=0
export LSAN_OPTIONS="suppressions=$root/tests/lsan.supp:print_suppressions=0"
export UBSAN_OPTIONS=print_stacktrace=1:halt_on_error=1
artifacts=$folder/fuzz_artifacts
rm -rf "$artifacts" # only this run's finds
mkdir -p "$artifacts"
status=0
for target in "${targets[@]}"; do
  kept=$root/tests/fuzz/corpus/$target
  working=$folder/fuzz_corpus/$target
  mkdir -p "$working"
  echo "==== fuzz_$target for $seconds s"
  # New inputs go to the working corpus (the first folder); the kept one only seeds it.
  if ! "$folder/tests/fuzz_$target" -max_total_time="$seconds" -rss_limit_mb=2048 -timeout=10 \
    -artifact_prefix="$artifacts/$target-" -print_final_stats=1 "$working" "$kept"; then
    status=1
  fi
done
found=$(find "$artifacts" -type f | wc -l)
if [ "$found" -ne 0 ]; then
  echo "Inputs that found faults:" >&2
  find "$artifacts" -type f >&2
  status=1
fi
exit $status
