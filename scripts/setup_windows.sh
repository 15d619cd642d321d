#!/usr/bin/env bash
# Prepares the Windows cross build: installs the mingw-w64 cross compiler and
# Wine from Debian 12's packages, and cross-builds the game's libraries from
# Debian's own source packages (apt-get source) into a build folder:
#   scripts/setup_windows.sh [deps folder]      (default build-windows/deps)
# Safe to run again: packages already present and libraries already built are
# left alone. Each compile runs under the machine-wide build lock, two jobs at
# a time, one library after the other, so that it never competes with another
# build on a shared machine.
#
# The target is 64-bit Windows (x86_64-w64-mingw32): Wine runs 32-bit Windows
# programs through 32-bit Linux processes, and a kernel without 32-bit support
# cannot start them, while 64-bit programs run under any x86-64 Wine.
set -euo pipefail
trap 'echo "setup_windows.sh: failed at line $LINENO" >&2' ERR

root=$(cd "$(dirname "$0")/.." && pwd)
deps=${1:-$root/build-windows/deps}
mkdir -p "$deps"
deps=$(cd "$deps" && pwd)

HOST=x86_64-w64-mingw32
PREFIX=$deps/prefix
SOURCES=$deps/src
BUILDS=$deps/build
STAMPS=$deps/stamps
LOCK=/tmp/quillet-build.lock
JOBS=2
# Asked only for a package none of whose sources of this release can be fetched.
NEXT_RELEASE=trixie
TOOLCHAIN=$root/cmake/mingw-w64-x86_64.cmake

SUDO=""
[ "$(id -u)" -ne 0 ] && SUDO="sudo"

PACKAGES=(
  g++-mingw-w64-x86-64-posix binutils-mingw-w64-x86-64
  wine wine64
  # Loaded by Wine's X11 driver when present: rendering, input, screens and OpenGL pixel formats.
  libxrender1 libxi6 libxrandr2 libxcursor1 libxxf86vm1 libxinerama1 libxcomposite1 libfreetype6
  dpkg-dev cmake make nasm zip
)

install_packages() {
  local missing=() p
  for p in "${PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  echo "Installing: ${missing[*]}"
  $SUDO apt-get update -qq
  # Through env: sudo drops the caller's environment, and a configuration prompt would hang the set-up.
  $SUDO env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

has_source_entries() {
  cat /etc/apt/sources.list /etc/apt/sources.list.d/*.list /etc/apt/sources.list.d/*.sources 2>/dev/null |
    grep -qE '^[[:space:]]*(deb-src[[:space:]]|Types:.*deb-src)'
}

# apt knows Debian's source packages: a deb-src entry exists (added when
# missing) and its index is read.
ensure_source_entries() {
  apt-cache showsrc zlib >/dev/null 2>&1 && return 0
  if has_source_entries; then
    $SUDO apt-get update -qq
  else
    write_source_entries
  fi
}

# A deb-src twin of each of the system's Debian entries for this release, so
# that apt-get source fetches exactly the versions the binary packages come from.
write_source_entries() {
  local codename
  codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
  local twin
  twin=$(mktemp)
  if [ -f /etc/apt/sources.list ]; then
    awk -v codename="$codename" '$1 == "deb" && $0 ~ (" " codename) { $1 = "deb-src"; print }' \
      /etc/apt/sources.list >"$twin.list"
  fi
  local file
  for file in /etc/apt/sources.list.d/*.sources; do
    [ -f "$file" ] || continue
    # deb822 stanzas are paragraphs: keep those for this release, as deb-src.
    awk -v codename="$codename" 'BEGIN { RS = ""; ORS = "\n\n" }
      $0 ~ ("Suites:[^\n]*" codename) && $0 ~ /Types:[^\n]*deb/ {
        sub(/Types:[^\n]*/, "Types: deb-src"); print }' "$file" >>"$twin.sources"
  done
  if [ -s "$twin.sources" ]; then
    $SUDO install -m 644 "$twin.sources" /etc/apt/sources.list.d/quillet-deb-src.sources
  elif [ -s "$twin.list" ]; then
    $SUDO install -m 644 "$twin.list" /etc/apt/sources.list.d/quillet-deb-src.list
  else
    echo "No Debian package source found to add a deb-src entry for" >&2
    exit 1
  fi
  rm -f "$twin" "$twin.list" "$twin.sources"
  $SUDO apt-get update -qq
}

# apt-get source of one version into a fresh folder under $SOURCES; prints the
# unpacked folder. try_fetch whole|upstream PACKAGE VERSION [apt options...]:
# the package mirror may lack some files of a source package, and "upstream"
# accepts the upstream tarball alone when Debian's changes are missing
# (they serve Debian's own build, not this cross build).
try_fetch() {
  local accept=$1 package=$2 version=$3
  shift 3
  local folder=$SOURCES/$package.tmp
  rm -rf "$folder"
  mkdir -p "$folder"
  (cd "$folder" && apt-get "$@" source -qq "$package=$version" >fetch.log 2>&1) || true
  local unpacked
  unpacked=$(find "$folder" -mindepth 1 -maxdepth 1 -type d | head -n 1)
  if [ -z "$unpacked" ] && [ "$accept" = upstream ]; then
    local tarball
    tarball=$(find "$folder" -maxdepth 1 -name "*.orig.tar.*" | head -n 1)
    [ -n "$tarball" ] || return 1
    mkdir "$folder/upstream"
    tar -xf "$tarball" -C "$folder/upstream"
    unpacked=$(find "$folder/upstream" -mindepth 1 -maxdepth 1 -type d | head -n 1)
    [ -n "$unpacked" ] && echo "    $package $version: upstream tarball only (the mirror lacks Debian's changes)" >&2
  fi
  [ -n "$unpacked" ] || return 1
  echo "$unpacked"
}

# The source versions apt knows of PACKAGE, newest first: versions_of PACKAGE [apt options...]
versions_of() {
  local package=$1
  shift
  apt-cache "$@" showsrc "$package" 2>/dev/null | awk '/^Version:/ { print $2 }' | sort -u -r -V
}

# A private apt state that sees the source packages of Debian's next release,
# for a package none of whose versions here can be fetched whole or in part.
next_release_apt() {
  local state=$deps/apt-next
  local options=(-o "Dir::Etc::SourceList=/dev/null" -o "Dir::Etc::SourceParts=$state/sources"
    -o "Dir::State::Lists=$state/lists" -o "Dir::Cache=$state/cache")
  if [ ! -f "$state/ready" ]; then
    mkdir -p "$state/sources" "$state/lists/partial" "$state/cache/archives/partial"
    local codename
    codename=$(. /etc/os-release && echo "$VERSION_CODENAME")
    # The system's own Debian archive, with the next release's name.
    local file
    for file in /etc/apt/sources.list.d/*.sources; do
      [ -f "$file" ] || continue
      awk -v codename="$codename" -v nextname="$NEXT_RELEASE" 'BEGIN { RS = ""; ORS = "\n\n" }
        $0 ~ ("Suites:[^\n]*" codename "[ \n]") {
          sub(/Types:[^\n]*/, "Types: deb-src"); sub(/Suites:[^\n]*/, "Suites: " nextname); print }' \
        "$file" >>"$state/sources/next.sources"
    done
    if [ -f /etc/apt/sources.list ]; then
      awk -v codename="$codename" -v nextname="$NEXT_RELEASE" \
        '$1 == "deb" { for (i = 2; i <= NF; ++i) if ($i == codename) { $1 = "deb-src"; $i = nextname; print; next } }' \
        /etc/apt/sources.list >"$state/sources/next.list"
    fi
    [ -s "$state/sources/next.sources" ] || [ -s "$state/sources/next.list" ] || return 1
    apt-get "${options[@]}" update -qq >/dev/null 2>&1 || return 1
    touch "$state/ready"
  fi
  printf '%s\n' "${options[@]}"
}

# Unpacks Debian's source package into $SOURCES/NAME and prints that folder:
# the newest version of this release that comes whole, else the newest that
# comes at least as its upstream tarball, else the same from the next release.
fetch_source() {
  local package=$1
  local target=$SOURCES/$package
  if [ ! -f "$target/.fetched" ]; then
    local unpacked="" version="" accept
    local next=()
    for accept in whole upstream; do
      for version in $(versions_of "$package"); do
        unpacked=$(try_fetch $accept "$package" "$version") && break 2
        unpacked=""
      done
    done
    if [ -z "$unpacked" ]; then
      mapfile -t next < <(next_release_apt)
      [ ${#next[@]} -gt 0 ] || { echo "No source of $package could be fetched" >&2; exit 1; }
      for accept in whole upstream; do
        for version in $(versions_of "$package" "${next[@]}"); do
          unpacked=$(try_fetch $accept "$package" "$version" "${next[@]}") && break 2
          unpacked=""
        done
      done
      [ -n "$unpacked" ] && echo "    $package: source of Debian $NEXT_RELEASE ($version)" >&2
    fi
    [ -n "$unpacked" ] || { echo "No source of $package could be fetched" >&2; exit 1; }
    rm -rf "$target"
    mv "$unpacked" "$target"
    rm -rf "$SOURCES/$package.tmp"
    echo "$version" >"$target/.fetched"
  fi
  echo "$target"
}

# Runs a compile step while holding the machine-wide build lock, and adds the
# seconds it ran (waiting for the lock left out) to $BUILD_SECONDS.
locked() {
  flock "$LOCK" bash -c 'times=$1; shift; start=$(date +%s%N); "$@"; status=$?
    echo $((($(date +%s%N) - start) / 1000000)) >>"$times"; exit $status' locked "$BUILD_SECONDS.ms" "$@"
}

# Runs a step with its output in LOG, showing the end of LOG when it fails.
logged() {
  local log=$1
  shift
  "$@" >"$log" 2>&1 || { tail -40 "$log" >&2; echo "Failed: $* (whole log: $log)" >&2; return 1; }
}

# Compiles C files into one static library: static_library NAME FILE...
static_library() {
  local name=$1
  shift
  local objects=$BUILDS/$name
  rm -rf "$objects"
  mkdir -p "$objects" "$PREFIX/lib"
  (cd "$objects" && logged "$BUILDS/$name.log" locked $HOST-gcc-posix -O2 -c "$@")
  rm -f "$PREFIX/lib/lib$name.a"
  $HOST-ar rcs "$PREFIX/lib/lib$name.a" "$objects"/*.o
}

cmake_cross() {
  local source=$1 build=$2
  shift 2
  rm -rf "$build"
  logged "$build.configure.log" cmake -S "$source" -B "$build" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$TOOLCHAIN" -DQUILLET_WINDOWS_DEPS="$PREFIX" -DCMAKE_BUILD_TYPE=Release \
    -DCMAKE_INSTALL_PREFIX="$PREFIX" "$@"
  logged "$build.build.log" locked cmake --build "$build" -j"$JOBS"
  logged "$build.install.log" cmake --install "$build"
}

build_zlib() {
  local source
  source=$(fetch_source zlib)
  # Linked into the program: the static library only.
  local files=() file
  for file in adler32 compress crc32 deflate gzclose gzlib gzread gzwrite infback inffast inflate inftrees \
    trees uncompr zutil; do
    files+=("$source/$file.c")
  done
  static_library z "${files[@]}"
  mkdir -p "$PREFIX/include"
  cp "$source/zlib.h" "$source/zconf.h" "$PREFIX/include/"
}

build_libpng() {
  local source
  source=$(fetch_source libpng1.6)
  # Linked into the program, with zlib.
  cmake_cross "$source" "$BUILDS/libpng" -DPNG_SHARED=OFF -DPNG_STATIC=ON -DPNG_TESTS=OFF \
    -DPNG_EXECUTABLES=OFF -DZLIB_LIBRARY="$PREFIX/lib/libz.a" -DZLIB_INCLUDE_DIR="$PREFIX/include"
}

build_libjpeg() {
  local source
  source=$(fetch_source libjpeg-turbo)
  # The DLL keeps the 6.2 interface (libjpeg-62.dll), as the program expects.
  cmake_cross "$source" "$BUILDS/libjpeg" -DENABLE_SHARED=ON -DENABLE_STATIC=OFF -DWITH_TURBOJPEG=OFF \
    -DWITH_JPEG7=OFF -DWITH_JPEG8=OFF -DCMAKE_ASM_NASM_COMPILER=nasm -DCMAKE_SYSTEM_PROCESSOR=AMD64
}

build_lua() {
  local source
  source=$(fetch_source lua5.1)
  # The embedding API only: the interpreter's core and libraries, without the
  # stand-alone lua and luac programs.
  local files=() file
  for file in "$source"/src/*.c; do
    case $(basename "$file") in lua.c | luac.c | print.c) continue ;; esac
    files+=("$file")
  done
  static_library lua5.1 "${files[@]}"
  mkdir -p "$PREFIX/include"
  cp "$source"/src/{lua.h,luaconf.h,lualib.h,lauxlib.h} "$source"/etc/lua.hpp "$PREFIX/include/"
}

build_freeglut() {
  local source
  source=$(fetch_source freeglut)
  cmake_cross "$source" "$BUILDS/freeglut" -DFREEGLUT_BUILD_SHARED_LIBS=ON -DFREEGLUT_BUILD_STATIC_LIBS=OFF \
    -DFREEGLUT_BUILD_DEMOS=OFF -DFREEGLUT_GLES=OFF
}

build_openal() {
  local source
  source=$(fetch_source openal-soft)
  cmake_cross "$source" "$BUILDS/openal" -DALSOFT_EXAMPLES=OFF -DALSOFT_UTILS=OFF -DALSOFT_TESTS=OFF \
    -DALSOFT_NO_CONFIG_UTIL=ON -DALSOFT_INSTALL_EXAMPLES=OFF -DALSOFT_INSTALL_UTILS=OFF
}

build_freealut() {
  local source
  source=$(fetch_source freealut)
  cmake_cross "$source" "$BUILDS/freealut" -DBUILD_STATIC=OFF -DBUILD_EXAMPLES=OFF -DBUILD_TESTS=OFF \
    -DOPENAL_INCLUDE_DIR="$PREFIX/include" -DOPENAL_LIB="$PREFIX/lib/libOpenAL32.dll.a"
  # Its install rule puts the DLL among the libraries and leaves out the import library.
  mkdir -p "$PREFIX/bin"
  mv -f "$PREFIX/lib/libalut.dll" "$PREFIX/bin/"
  cp "$BUILDS/freealut/libalut.dll.a" "$PREFIX/lib/"
}

build_glew() {
  local source
  source=$(fetch_source glew)
  cmake_cross "$source/build/cmake" "$BUILDS/glew" -DBUILD_UTILS=OFF -DGLEW_OSMESA=OFF
}

# Builds one library unless its stamp says it is built: build_once NAME PACKAGE.
build_once() {
  local name=$1 package=$2
  local stamp=$STAMPS/$name
  if [ -f "$stamp" ]; then
    echo "  $name $(cat "$stamp"): already built"
    return 0
  fi
  local start=$SECONDS
  echo "  $name: building"
  "build_$name"
  cat "$SOURCES/$package/.fetched" >"$stamp"
  echo "  $name $(cat "$stamp"): built in $((SECONDS - start)) s"
}

install_packages
ensure_source_entries
mkdir -p "$SOURCES" "$BUILDS" "$STAMPS" "$PREFIX"
echo "Windows libraries in $PREFIX"
BUILD_SECONDS=$deps/compile-time
rm -f "$BUILD_SECONDS.ms"
start=$SECONDS
build_once zlib zlib
build_once libpng libpng1.6
build_once libjpeg libjpeg-turbo
build_once lua lua5.1
build_once freeglut freeglut
build_once openal openal-soft
build_once freealut freealut
build_once glew glew
compile_seconds=$(awk '{ total += $1 } END { print int(total / 1000) }' "$BUILD_SECONDS.ms" 2>/dev/null || echo 0)
echo "Windows libraries ready: $((SECONDS - start)) s in all, $compile_seconds s of it compiling"
