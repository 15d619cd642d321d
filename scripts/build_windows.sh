#!/usr/bin/env bash
# Builds the Windows program and its runnable folder, zipped:
#   scripts/build_windows.sh
# Installs what it needs (scripts/setup.sh, scripts/setup_windows.sh), builds
# the libraries once, generates the game data with the Linux build, cross-builds
# Application.exe, and gathers in build-windows/Quillet-windows-x86_64/ the
# program, every DLL it loads that does not come with Windows, and the game
# data; then zips that folder into build-windows/Quillet-windows-x86_64.zip.
# Compile steps hold the machine-wide build lock, two jobs at a time.
set -euo pipefail
trap 'echo "build_windows.sh: failed at line $LINENO" >&2' ERR

root=$(cd "$(dirname "$0")/.." && pwd)
out=$root/build-windows
deps=$out/deps/prefix
linux_build=$root/build
cross_build=$out/app
package_name=Quillet-windows-x86_64
package=$out/$package_name
LOCK=/tmp/quillet-build.lock
HOST=x86_64-w64-mingw32

bash "$root/scripts/setup.sh"
bash "$root/scripts/setup_windows.sh" "$out/deps"

echo "Game data (Linux build)"
[ -f "$linux_build/CMakeCache.txt" ] || cmake -S "$root" -B "$linux_build" -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
flock "$LOCK" cmake --build "$linux_build" --target game_data demo_world -j2 >/dev/null

echo "Application.exe"
cmake -S "$root" -B "$cross_build" -DCMAKE_TOOLCHAIN_FILE="$root/cmake/mingw-w64-x86_64.cmake" \
  -DQUILLET_WINDOWS_DEPS="$deps" -DCMAKE_BUILD_TYPE=Release >/dev/null
flock "$LOCK" cmake --build "$cross_build" -j2 >"$cross_build/build.log" 2>&1 ||
  { grep -E 'error|warning' -A3 "$cross_build/build.log" | head -60 >&2; exit 1; }
grep -E 'warning:' "$cross_build/build.log" >&2 || true

# Folders holding the DLLs a program may load: the libraries' and the compiler's.
dll_folders=("$deps/bin"
  "$(dirname "$($HOST-g++-posix -print-file-name=libstdc++-6.dll)")"
  "$(dirname "$($HOST-g++-posix -print-file-name=libwinpthread-1.dll)")")

find_dll() {
  local folder
  for folder in "${dll_folders[@]}"; do
    # Windows matches DLL names without regard to case.
    local found
    found=$(find "$folder" -maxdepth 1 -iname "$1" -print -quit 2>/dev/null)
    [ -n "$found" ] && { echo "$found"; return 0; }
  done
  return 1
}

# Copies into the package every DLL the file imports, and theirs in turn; the
# ones found nowhere here (KERNEL32.dll, OPENGL32.dll, ...) come with Windows.
copy_imports() {
  local name path
  for name in $($HOST-objdump -p "$1" | awk '/DLL Name:/ { print $3 }'); do
    [ -e "$package/$name" ] && continue
    path=$(find_dll "$name") || continue
    cp "$path" "$package/$name"
    copy_imports "$package/$name"
  done
}

echo "Package $package"
rm -rf "$package" "$package.zip"
mkdir -p "$package"
cp "$cross_build/Application.exe" "$package/"
copy_imports "$package/Application.exe"
cp -r "$linux_build/game/." "$package/"
# Written by a run of the game in the data folder, not part of the data.
rm -f "$package/extensions.txt"
(cd "$out" && zip -qr "$package_name.zip" "$package_name")
echo "Built $package.zip"
ls "$package"/*.dll | xargs -n1 basename | sed 's/^/  /'
