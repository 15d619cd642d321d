#include "LuaManager.h"

#include "Player.h"
#include "TestSupport.h"
#include "World.h"
#include "WorldTestSupport.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>

// Game saves as the main loop writes and reads them: the player's 24-byte
// record, then the script's global variables (a count, then for each a name
// length, the name and the value, all 32-bit little-endian).
namespace
{
std::string int32(int32_t value)
{
    std::string bytes;
    for (int i = 0; i < 4; ++i)
        bytes += static_cast<char>((static_cast<uint32_t>(value) >> (8 * i)) & 0xFF);
    return bytes;
}

std::string float32(float value)
{
    int32_t bits = 0;
    std::memcpy(&bits, &value, 4);
    return int32(bits);
}

std::string variable(std::string const& name, int32_t value)
{
    return int32(static_cast<int32_t>(name.size())) + name + int32(value);
}

std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
}

class LuaManagerTest : public ::testing::Test
{
protected:
    void SetUp() override
    {
        REQUIRE_DISPLAY();
        WorldTestSupport::enterGameFolder(WorldTestSupport::emptyWorld());
        TestSupport::writeFile("world.lua", script());
        manager = new LuaManager("game_tests");
    }

    void TearDown() override { delete manager; }

    virtual std::string script() const
    {
        return "function lua_onInitGame() setPlayerMovementNone() end\n"
               "function lua_onUninitGame() end\n"
               "function lua_getNbObjects() return 0 end\n"
               "function lua_loop() end\n";
    }

    // The player's record of a game save: position, camera yaw and pitch, movement type.
    static std::string playerRecord()
    {
        return float32(1.f) + float32(2.f) + float32(3.f) + float32(45.f) + float32(-20.f) + int32(3);
    }

    // Loads the bytes as a game save and writes the game back into a new save.
    std::string loadThenSave(std::string const& bytes)
    {
        TestSupport::writeFile("in.sav", bytes);
        manager->loadGameSave("in.sav");
        manager->saveGameSave("out.sav");
        return readFile("out.sav");
    }

    LuaManager* manager = NULL;
};
}

TEST_F(LuaManagerTest, SaveWithoutVariablesIs28BytesAndAWholeSaveLoadsBackExactly)
{
    std::string const noVariables = playerRecord() + int32(0);
    ASSERT_EQ(noVariables.size(), 28u);
    EXPECT_EQ(loadThenSave(noVariables), noVariables);
    EXPECT_EQ(manager->getWorld()->getPlayer().getPosition(), Float3(1.f, 2.f, 3.f));
    // Names come back in byte order whatever order the file had.
    std::string const variables = int32(2) + variable("B", 2) + variable("a", -7);
    EXPECT_EQ(loadThenSave(playerRecord() + variables), playerRecord() + variables);
    std::string const unordered = int32(2) + variable("a", -7) + variable("B", 2);
    EXPECT_EQ(loadThenSave(playerRecord() + unordered), playerRecord() + variables);
}

TEST_F(LuaManagerTest, CutOrCorruptVariablesLoadOnlyTheWholeEntriesThere)
{
    std::string const twoWhole = variable("coins", 7) + variable("keys", 2);
    std::string const expected = playerRecord() + int32(2) + twoWhole;
    // A count larger than what follows, a last entry cut in its name or in its value.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(5) + "lev"), expected);
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(5) + "level" + "\x01\x02"), expected);
    // Huge counts and lengths stop at the end of the file without allocating for them.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(INT32_MAX) + twoWhole), expected);
    EXPECT_EQ(loadThenSave(playerRecord() + int32(3) + twoWhole + int32(INT32_MAX) + "x"), expected);
    // A negative length or count, and a file that ends after the player's record: no variables.
    EXPECT_EQ(loadThenSave(playerRecord() + int32(1) + int32(-4) + "abcd" + int32(1)), playerRecord() + int32(0));
    EXPECT_EQ(loadThenSave(playerRecord() + int32(-1)), playerRecord() + int32(0));
    EXPECT_EQ(loadThenSave(playerRecord()), playerRecord() + int32(0));
}

TEST_F(LuaManagerTest, SaveIntoAFolderThatDoesNotExistIsReportedAndNothingIsWritten)
{
    testing::internal::CaptureStderr();
    manager->saveGameSave("no/such/folder/game.sav");
    std::string const errors = testing::internal::GetCapturedStderr();
    EXPECT_NE(errors.find("Could not create the game save file no/such/folder/game.sav"), std::string::npos) << errors;
}

// An object of type 0 asks for a save when first managed; the loop asks for one in its first frame.
class LuaManagerObjectTest : public LuaManagerTest
{
protected:
    std::string script() const override
    {
        return "function lua_onInitGame() setPlayerMovementNone() end\n"
               "function lua_onUninitGame() end\n"
               "function lua_getNbObjects() return 1 end\n"
               "function lua_load_0() end\n"
               "function lua_unload_0() end\n"
               "function lua_draw_0() end\n"
               "objectSaved = false\n"
               "function lua_manage_0()\n"
               "  if not objectSaved then saveGame(\"object.sav\") objectSaved = true end\n"
               "end\n"
               "frame = 0\n"
               "function lua_loop()\n"
               "  frame = frame + 1\n"
               "  if frame == 1 then saveGame(\"loop.sav\") end\n"
               "end\n";
    }
};

TEST_F(LuaManagerObjectTest, SaveAskedByAnObjectIsMadeInItsFrameAndOneAskedByTheLoopInTheNext)
{
    manager->getWorld()->getIndexedWorld().addCustomObject(Float3(5.f, 5.f, 5.f), 0);
    testing::internal::CaptureStdout();
    manager->manageAndDraw();
    EXPECT_FALSE(readFile("object.sav").empty()) << "the object's save waited for another frame";
    EXPECT_TRUE(readFile("loop.sav").empty()) << "the loop's save was made before the next frame's request step";
    manager->manageAndDraw();
    testing::internal::GetCapturedStdout();
    EXPECT_EQ(readFile("loop.sav").size(), 28u);
}
