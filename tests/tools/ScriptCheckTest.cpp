#include "ScriptCheck.h"
#include "TestSupport.h"

#include <gtest/gtest.h>

namespace
{
std::string writeScript(std::string const& text)
{
    std::string const path = TestSupport::makeTemporaryFolder() + "/world.lua";
    TestSupport::writeFile(path, text);
    return path;
}

std::string const ENTRY_POINTS = "function lua_onInitGame() end\n"
                                 "function lua_onUninitGame() end\n"
                                 "function lua_loop() end\n"
                                 "function lua_getNbObjects() return 1 end\n";
} // namespace

// The script runs at load time; engine functions it calls there are stubs,
// while its own definitions count. Lua's libraries are absent, as in the game.
TEST(ScriptCheck, AcceptsAScriptThatCallsTheEngineAndDefinesEveryFunction)
{
    ScriptCheck check(writeScript("setFogColor(1, 2, 3)\nlocal s = loadSound('a.wav')\n" + ENTRY_POINTS +
                                  "function lua_load_0() end\nfunction lua_manage_0() end\n"
                                  "function lua_draw_0() end\nfunction lua_unload_0() end\n"));
    EXPECT_TRUE(check.getIsLoaded());
    check.checkEntryPoints();
    check.checkObjectTypes({0});
    EXPECT_TRUE(check.getProblems().empty()) << check.getProblems()[0];
}

TEST(ScriptCheck, NamesEachMissingFunction)
{
    ScriptCheck check(writeScript("function lua_loop() end\nlua_onInitGame = 3\nfunction lua_load_2() end\n"));
    check.checkEntryPoints();
    check.checkObjectTypes({2});
    std::vector<std::string> const& problems = check.getProblems();
    // Three entry points (a number is no function) and three of the four type 2 functions.
    ASSERT_EQ(problems.size(), 6u);
    EXPECT_NE(problems[0].find("no function lua_onInitGame"), std::string::npos) << problems[0];
    EXPECT_NE(problems[3].find("no function lua_manage_2 (the world holds script objects of type 2)"),
              std::string::npos)
        << problems[3];
}

TEST(ScriptCheck, ReportsScriptsThatDoNotLoad)
{
    for (std::string const& text : {std::string("function broken("), std::string("local t = {}\nt.a.b = 1"),
                                    std::string("local t = string.format('%d', 1)")})
    {
        ScriptCheck check(writeScript(text));
        EXPECT_FALSE(check.getIsLoaded()) << text;
        ASSERT_EQ(check.getProblems().size(), 1u) << text;
        EXPECT_NE(check.getProblems()[0].find("does not load"), std::string::npos) << check.getProblems()[0];
        check.checkEntryPoints();
        EXPECT_EQ(check.getProblems().size(), 1u) << "nothing else is checked";
    }
    ScriptCheck missing("/nonexistent/world.lua");
    EXPECT_FALSE(missing.getIsLoaded());
}
