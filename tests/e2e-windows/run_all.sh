#!/usr/bin/env bash
# Runs every Windows end-to-end test on a Windows folder under its own Xvfb:
#   tests/e2e-windows/run_all.sh [folder]   (default build-windows/Quillet-windows-x86_64)
# Prints "N passed, N failed" and exits non-zero when any test failed.
set -uo pipefail
here=$(cd "$(dirname "$0")" && pwd)
root=$(cd "$here/../.." && pwd)
folder=${1:-$root/build-windows/Quillet-windows-x86_64}
. "$root/scripts/xvfb.sh"
display_works || start_xvfb || exit 1
export LIBGL_ALWAYS_SOFTWARE=1 ALSOFT_DRIVERS=null
passed=0
failed=0
for test in "$here"/test_*.sh; do
  name=$(basename "$test" .sh)
  if bash "$test" "$folder" >"/tmp/quillet_wine_$name.log" 2>&1; then
    passed=$((passed + 1))
    echo "PASS $name"
  else
    failed=$((failed + 1))
    echo "FAIL $name (log: /tmp/quillet_wine_$name.log)"
    tail -n 20 "/tmp/quillet_wine_$name.log" | sed 's/^/    /'
  fi
done
echo "$passed passed, $failed failed"
[ "$failed" -eq 0 ]
