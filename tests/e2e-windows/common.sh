# Sourced by the Windows end-to-end tests: runs the real Application.exe under
# Wine in a temporary copy of the Windows folder made by
# scripts/build_windows.sh, and drives its window as the Linux tests do.
# Usage: test_NAME.sh <Windows folder>; needs a display (Xvfb) like them.
# The Wine prefix is QUILLET_WINEPREFIX, else build-windows/wineprefix, made on
# first use.

. "$(dirname "${BASH_SOURCE[0]}")/../e2e/common.sh"

windows_e2e_setup() {
  local folder
  folder=$(cd "$1" && pwd)
  [ -f "$folder/Application.exe" ] || { echo "No Application.exe in '$folder'" >&2; exit 1; }
  local root
  root=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
  export WINEPREFIX=${QUILLET_WINEPREFIX:-$root/build-windows/wineprefix}
  # No debug chatter on standard error, which the tests read; no offer to
  # install Wine's .NET and HTML engines into a new prefix.
  export WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
  if [ ! -f "$WINEPREFIX/system.reg" ]; then
    mkdir -p "$WINEPREFIX"
    wineboot --init >/dev/null 2>&1
    wineserver --wait
  fi
  e2e_setup "" "$folder"
  # e2e_start runs one program: this one starts Application.exe under Wine.
  printf '#!/bin/sh\nexec wine Application.exe "$@"\n' >"$WORK/run_under_wine.sh"
  chmod +x "$WORK/run_under_wine.sh"
  APPLICATION=$WORK/run_under_wine.sh
}
