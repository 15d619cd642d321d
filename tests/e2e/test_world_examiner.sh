# The game maker's tools on the game data folder the build made: the world
# examiner passes it and fails, with one clear line, on a missing texture and
# on a truncated world file; a data pack of the folder gives it back byte for byte.
# Arguments: the world_examiner program, the data_pack program, the game data folder.
set -euo pipefail
EXAMINER=$1
DATA_PACK=$2
GAME_DATA=$3
WORK=$(mktemp -d /tmp/quillet_tools_XXXXXX)
trap 'rm -rf "$WORK"' EXIT

fail() {
  echo "FAIL: $*" >&2
  [ -f "$WORK/out.txt" ] && { echo "--- stdout"; cat "$WORK/out.txt"; } >&2
  [ -f "$WORK/err.txt" ] && { echo "--- stderr"; cat "$WORK/err.txt"; } >&2
  exit 1
}

# Runs the examiner's check on a folder; sets STATUS.
examine() {
  STATUS=0
  "$EXAMINER" --check "$1" > "$WORK/out.txt" 2> "$WORK/err.txt" || STATUS=$?
}

cp -r "$GAME_DATA" "$WORK/game"
# The demo script's contract when the folder has no script yet: object types 0 and 1.
if [ ! -f "$WORK/game/world.lua" ]; then
  {
    echo 'function lua_onInitGame() end'
    echo 'function lua_onUninitGame() end'
    echo 'function lua_loop() draw3DWorld() end'
    echo 'function lua_getNbObjects() return 2 end'
    for type in 0 1; do
      for name in load manage draw unload; do echo "function lua_${name}_${type}() end"; done
    done
  } > "$WORK/game/world.lua"
fi

examine "$WORK/game"
[ "$STATUS" = 0 ] || fail "the generated game folder does not pass"
grep -q "^check passed" "$WORK/out.txt" || fail "no 'check passed' line"
"$EXAMINER" "$WORK/game/world.dat" > "$WORK/out.txt" 2> "$WORK/err.txt" || fail "the summary failed"
grep -q "^Cube types: " "$WORK/out.txt" || fail "the summary lists no cube types"

# A missing texture.
cp -r "$WORK/game" "$WORK/no_texture"
rm "$WORK/no_texture/cube_shadowed_textures/brick.png"
examine "$WORK/no_texture"
[ "$STATUS" = 1 ] || fail "a missing texture passes (status $STATUS)"
grep -qx "error: missing texture cube_shadowed_textures/brick.png" "$WORK/err.txt" || fail "no line for the missing texture"
grep -q "^check failed: 1 problem" "$WORK/out.txt" || fail "no 'check failed' verdict for the missing texture"

# A truncated world file: one line naming the file, no crash report.
cp -r "$WORK/game" "$WORK/truncated"
size=$(stat -c %s "$WORK/game/world.dat")
head -c $((size / 2)) "$WORK/game/world.dat" > "$WORK/truncated/world.dat"
examine "$WORK/truncated"
[ "$STATUS" = 1 ] || fail "a truncated world file passes (status $STATUS)"
grep -q "^error: File '.*world.dat' is truncated" "$WORK/err.txt" || fail "no clear line for the truncated file"
[ "$(wc -l < "$WORK/err.txt")" = 1 ] || fail "more than one line for the truncated file"
grep -qx "check failed" "$WORK/out.txt" || fail "no 'check failed' verdict for the truncated file"

# Bad use: a message and a non-zero status.
STATUS=0; "$EXAMINER" --check > /dev/null 2> "$WORK/err.txt" || STATUS=$?
[ "$STATUS" != 0 ] && grep -q "Usage" "$WORK/err.txt" || fail "bad arguments are not refused"
"$EXAMINER" --help | grep -q "Usage" || fail "no --help"
"$DATA_PACK" --help | grep -q "Usage" || fail "no --help for data_pack"

# The data pack round trip.
"$DATA_PACK" create "$WORK/game" "$WORK/game.pack" || fail "the pack was not created"
"$DATA_PACK" list "$WORK/game.pack" > "$WORK/list.txt" || fail "the pack was not listed"
grep -q "^cube_textures/brick.png [0-9]*$" "$WORK/list.txt" || fail "the listing misses a texture"
[ "$(wc -l < "$WORK/list.txt")" = "$(find "$WORK/game" -type f | wc -l)" ] || fail "the listing's length differs"
"$DATA_PACK" extract "$WORK/game.pack" "$WORK/extracted" || fail "the pack was not extracted"
diff -r "$WORK/game" "$WORK/extracted" > /dev/null || fail "the extracted folder differs"
STATUS=0; "$DATA_PACK" list "$WORK/missing.pack" 2> "$WORK/err.txt" || STATUS=$?
[ "$STATUS" = 1 ] && grep -q "^error: " "$WORK/err.txt" || fail "a missing pack is not refused"
head -c 100 "$WORK/game.pack" > "$WORK/cut.pack"
STATUS=0; "$DATA_PACK" list "$WORK/cut.pack" 2> "$WORK/err.txt" || STATUS=$?
[ "$STATUS" = 1 ] && grep -q "^error: Malformed data pack '.*cut.pack': its last entry is cut short$" "$WORK/err.txt" ||
  fail "a cut pack is not refused with a clear line"
echo "PASS"
