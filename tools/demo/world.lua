-- The Quillet demo game: collect the coins and gems on the plaza.
--
-- A small game that shows the whole script interface. The engine calls the
-- functions named lua_... ; everything else here is ours. Read it from the
-- top: settings, small helpers, the collectibles, then the frame.
--
-- Keys of the game (the engine keeps 'a', 'p', 'm', Escape, F5, F6, space,
-- the arrows and e, d, s, f, c for itself):
--   space  start (on the title)      1 / 2 / 3  walk / drive / fly
--   b      build a block ahead       k / l      save / load the game
--   q      quit
-- While a block is being placed the arrow keys and Page Up / Page Down size
-- it and space places it.
--
-- The script runs without Lua's standard libraries: no math, string, table,
-- pairs or tostring. The language itself (arithmetic, %, .. on numbers,
-- tables, # on lists) is all there is, plus the engine's functions.

-- ---------------------------------------------------------------- settings

PLAYER_START_X, PLAYER_START_Y, PLAYER_START_Z = 0, 30, 0
SAVE_FILE = "demo.sav"

-- Script object types, as the objects in world.dat are numbered.
COIN = 0
GEM = 1
COIN_VALUE = 1
GEM_VALUE = 5
PICKUP_RADIUS = 10     -- world units (a cube is 10 on a side)
BOB_HEIGHT = 2
BOB_PERIOD = 1600      -- milliseconds for one bob up and down
HIDING_DEPTH = 40      -- taken objects wait this far below their place

BLOCK_CUBE_TYPE = 0    -- blocks are built of the world's first cube type
BLOCK_DISTANCE = 20    -- how far ahead of the player a block starts

MESSAGE_DURATION = 2500 -- milliseconds a status message stays

-- Each action lists the characters that trigger it (both letter cases).
KEYS = {
  start = {" ", "\r"},
  walk = {"1"}, drive = {"2"}, fly = {"3"},
  build = {"b", "B"},
  save = {"k", "K"}, load = {"l", "L"},
  quit = {"q", "Q"},
}
ACTIONS = {"start", "walk", "drive", "fly", "build", "save", "load", "quit"}

MODE_NAMES = {[0] = "walking", [1] = "driving", [2] = "flying", [3] = "building"}

-- ---------------------------------------------------------------- state

showingTitle = true
building = false
modeBeforeBuilding = 0
message, messageUntil = "", 0
keyWasDown, keyPressed = {}, {}

-- ---------------------------------------------------------------- helpers

-- sin(2 pi turns), within 0.2 %: Bhaskara's formula on each half turn.
function sinTurns(turns)
  local t = turns % 1          -- % on numbers keeps 0 <= t < 1
  local sign = 1
  if t >= 0.5 then
    t, sign = t - 0.5, -1
  end
  local x = t * 360            -- degrees, 0 to 180
  return sign * 4 * x * (180 - x) / (40500 - x * (180 - x))
end

function cosTurns(turns)
  return sinTurns(turns + 0.25)
end

function whole(number)
  return number - number % 1
end

function showMessage(text)
  message = text
  messageUntil = getTime() + MESSAGE_DURATION   -- getTime: milliseconds
end

-- getKey tells whether a key is held now; an action fires once, on the
-- frame its key goes down.
function readKeys()
  for i = 1, #ACTIONS do
    local action = ACTIONS[i]
    local down = false
    for k = 1, #KEYS[action] do
      if getKey(KEYS[action][k]) == 1 then
        down = true
      end
    end
    keyPressed[action] = down and not keyWasDown[action]
    keyWasDown[action] = down
  end
end

-- ---------------------------------------------------------------- collectibles

-- A taken object is remembered in a global variable named after its place:
-- global variables travel in game saves, so loading a game brings back the
-- objects taken since, and the score with them.
function takenFlagName(x, z)
  return "taken " .. x .. " " .. z
end

-- The object's own two numbers (kept with it by the engine, 0 at first):
-- 1 = 1 + its bobbing phase, 2 = its home height.
function homeAndPhase(y)
  if getObjectLocalVariable1() == 0 then
    local x, _, z = getCurrentObjectPosition()
    setObjectLocalVariable1(1 + (x * 7 + z * 13) / 97 % 1)
    setObjectLocalVariable2(y)
  end
  return getObjectLocalVariable2(), getObjectLocalVariable1() - 1
end

-- Runs in lua_manage_N, where the engine has made the object current.
function manageCollectible(value, bobs)
  local x, y, z = getCurrentObjectPosition()
  local home, phase = homeAndPhase(y)
  local flag = takenFlagName(x, z)
  if getGlobalVar(flag) ~= 0 then
    -- Out of sight below the plaza, but still near enough to be managed.
    setCurrentObjectPosition(x, home - HIDING_DEPTH, z)
    return
  end
  local height = home
  if bobs then
    height = home + BOB_HEIGHT * sinTurns(getTime() / BOB_PERIOD + phase)
  end
  setCurrentObjectPosition(x, height, z)   -- moves the object itself
  if getDistanceToPlayer() < PICKUP_RADIUS then
    setGlobalVar(flag, 1)
    addToGlobalVar("score", value)        -- returns the new total
    playSound(pickupSound)
  end
end

-- Coins: the object stays put and only its picture bobs. lua_draw_N runs with
-- the 3-D position at the drawn object, but the current object is still the
-- last managed one, so drawing must not ask for the object's own values.
function lua_load_0()
  coinModel = load3DModel("obj_objects/coin.obj")
end

function lua_manage_0()
  manageCollectible(COIN_VALUE, false)
end

function lua_draw_0()
  move3DPosition(0, BOB_HEIGHT * sinTurns(getTime() / BOB_PERIOD), 0)  -- offsets this drawing only
  draw3DModel(coinModel)
end

function lua_unload_0()
  unload3DModel(coinModel)
end

-- Gems: the object itself moves up and down, each with its own phase.
function lua_load_1()
  gemModel = load3DModel("obj_objects/gem.obj")
end

function lua_manage_1()
  manageCollectible(GEM_VALUE, true)
end

function lua_draw_1()
  draw3DModel(gemModel)
end

function lua_unload_1()
  unload3DModel(gemModel)
end

-- ---------------------------------------------------------------- building

-- The engine lets the player size one box of cubes: the arrows and
-- Page Up / Page Down move its far corner, space confirms.
function startBuilding()
  local x, y, z = getPlayerPosition()
  local _, yaw = getCameraAngleAndDistance()
  -- The direction the player walks at this camera yaw (degrees).
  local a = (90 - yaw) / 360
  startCubeCreation(x - cosTurns(a) * BLOCK_DISTANCE, y + 1, z - sinTurns(a) * BLOCK_DISTANCE)
  -- The arrows size the block meanwhile: keep the player from walking off.
  modeBeforeBuilding = getPlayerMovementType()
  setPlayerMovementNone()
  building = true
  showMessage("Arrows, Page Up / Down: size the block; space: place it")
end

-- Indexed by the movement type numbers getPlayerMovementType returns.
MOVEMENT_SETTERS = {[0] = setPlayerMovementWalk, [1] = setPlayerMovementCar,
                    [2] = setPlayerMovementFly, [3] = setPlayerMovementNone}

-- A corner equal to the other on some axis would make an empty box: such an
-- axis gets one cube of thickness.
function atLeastOneCube(first, second)
  if first == second then
    return first + 1
  end
  return second
end

function manageBuilding()
  local done, x1, y1, z1, x2, y2, z2 = manageCubeCreation()  -- grid corners, in cubes
  if done ~= 1 then
    return
  end
  createCube(x1, y1, z1, atLeastOneCube(x1, x2), atLeastOneCube(y1, y2), atLeastOneCube(z1, z2), BLOCK_CUBE_TYPE)
  building = false
  MOVEMENT_SETTERS[modeBeforeBuilding]()
  showMessage("Block built")
end

-- ---------------------------------------------------------------- keys

function handleGameKeys()
  if keyPressed.walk then setPlayerMovementWalk() end   -- each setter also stops the player
  if keyPressed.drive then setPlayerMovementCar() end
  if keyPressed.fly then setPlayerMovementFly() end
  if keyPressed.build then startBuilding() end
  if keyPressed.save then
    saveGame(SAVE_FILE)    -- written at the next frame's save step
    showMessage("Game saved in " .. SAVE_FILE)
  end
  if keyPressed.load then
    loadGame(SAVE_FILE)    -- nothing happens when the file does not exist
    showMessage("Game loaded from " .. SAVE_FILE)
  end
  if keyPressed.quit then
    quitGame()             -- the program ends after this frame
  end
end

-- ---------------------------------------------------------------- drawing

-- Hazy near the ground, clearer and bluer high up. The fog colour is also
-- the colour clearBackground fills with.
function updateFog()
  local _, y = getPlayerPosition()
  local high = y / 60
  if high < 0 then high = 0 end
  if high > 1 then high = 1 end
  setFogColor(whole(205 - 120 * high), whole(215 - 80 * high), whole(228 - 20 * high))
end

-- White text with a dark shadow, readable over the sky and the plaza.
function drawShadowedText(text, x, y)
  setColor(0, 0, 0, 255)
  drawText(text, x + 2, y + 2)
  setColor(255, 255, 255, 255)
  drawText(text, x, y)
end

function drawHud(microseconds3D)
  local _, height = getWindowSize()
  drawShadowedText("Score: " .. getGlobalVar("score"), 10, 10)
  drawShadowedText("Mode: " .. MODE_NAMES[getPlayerMovementType()], 10, 36)
  -- getPeriodDuration: the last frame's length in microseconds.
  drawShadowedText("Frame: " .. whole(getPeriodDuration() / 100) / 10 .. " ms, 3-D: "
                   .. whole(microseconds3D / 100) / 10 .. " ms", 10, 62)
  if getTime() < messageUntil then
    drawShadowedText(message, 10, 100)
  end
  drawShadowedText("1 / 2 / 3: walk / drive / fly   b: build", 10, height - 82)
  drawShadowedText("k: save   l: load   q: quit   Esc: menu", 10, height - 56)
  drawShadowedText("e d s f, arrows: move   space: jump", 10, height - 30)
end

function drawTitle()
  setColor(255, 255, 255, 255)   -- sprites and text are tinted by the drawing colour
  -- Clears to black and covers the window. The next draw2DWorld tells the
  -- world, which is then neither drawn nor moved while the title shows.
  drawSpriteFullscreenStretched(titleSprite)
  draw2DWorld()
end

-- ---------------------------------------------------------------- entry points

function lua_getNbObjects()
  return 2   -- coins and gems
end

function lua_onInitGame()
  titleSprite = load2DSprite("title.png")
  pickupSound = loadSound("sound/pickup.wav")
  setPlayerPosition(PLAYER_START_X, PLAYER_START_Y, PLAYER_START_Z)
  setPlayerMovementWalk()
  setCameraAngleAndDistance(-15, 0, 30)   -- pitch, yaw (degrees), distance
  setWaterEnable(1)
end

function lua_onUninitGame()
  unload2DSprite(titleSprite)
end

function lua_loop()
  readKeys()
  if showingTitle then
    showingTitle = not keyPressed.start
    drawTitle()
    return
  end
  -- In the editor ('a') the keys are the editor's: the game leaves them alone.
  local editing = isEditorMode() == 1
  if not editing and not building then
    handleGameKeys()
  end
  if building then
    manageBuilding()
  end
  updateFog()
  clearBackground()
  local microseconds3D = draw3DWorld()   -- places the camera, draws sky, world and player
  draw2DWorld()                          -- the world's 2-D layer (and the editor's)
  if not editing then
    drawHud(microseconds3D)
  end
end
