#include "BeforeMain.h"
#include "Date.h"
#include "TestSupport.h"
#include "Thread.h"
#include "Utils.h"

#include <atomic>
#include <climits>
#include <cstring>
#include <gtest/gtest.h>
#include <string>
#include <vector>

TEST(Utils, ClocksStartWithinTheirFirstSecond)
{
    int const firstMs = Utils::getTime();
    int64_t const firstUs = Utils::getMicrosecondTime();
    EXPECT_GE(firstMs, 0);
    EXPECT_LT(firstMs, 1000);
    EXPECT_GE(firstUs, 0);
    EXPECT_LT(firstUs, 1000000);
    Utils::sleepMs(20);
    EXPECT_GE(Utils::getMicrosecondTime() - firstUs, 20000);
    EXPECT_GE(Utils::getTime() - firstMs, 19);
}

TEST(Utils, ItoaAllocatesExactlyTheDigitsSignAndTerminator)
{
    struct Case
    {
        int value;
        char const* text;
    };
    Case const cases[] = {{0, "0"}, {-5, "-5"}, {9, "9"}, {10, "10"}, {-10, "-10"}, {123456, "123456"},
                          {INT_MAX, "2147483647"}, {INT_MIN, "-2147483648"}};
    for (Case const& c : cases)
    {
        char* text = Utils::itoa(c.value);
        EXPECT_STREQ(text, c.text);
        delete[] text;
    }
}

TEST(Utils, ItoaConstAcceptsItsRangeAndStopsOutsideIt)
{
    EXPECT_STREQ(Utils::itoaConst(999999), "999999");
    EXPECT_STREQ(Utils::itoaConst(-99999), "-99999");
    EXPECT_STREQ(Utils::itoaConstBuffer, "-99999");
    for (int const outside : {1000000, -100000})
    {
        TestSupport::ChildResult const result = TestSupport::runInChild([outside] { Utils::itoaConst(outside); });
        EXPECT_EQ(result.exitStatus, 1);
        EXPECT_NE(result.errors.find("Condition: n > -100000 && n < 1000000\nMessage: itoaConst problem"),
                  std::string::npos);
    }
}

TEST(Utils, CopyFragmentTakesTheHalfOpenRangeAndRefusesAnEmptyOne)
{
    char* fragment = Utils::copyFragmentOfStringIntoNewString("world.lua", 0, 5);
    EXPECT_STREQ(fragment, "world");
    delete[] fragment;
    TestSupport::ChildResult const result =
        TestSupport::runInChild([] { Utils::copyFragmentOfStringIntoNewString("abc", 2, 2); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Message: copyFragmentOfStringIntoNewString: end <= beginning"), std::string::npos);
}

TEST(Utils, WideConversionsSignExtendAndTruncateBytes)
{
    std::wstring const wide = Utils::stringToWstring(std::string("a\xE9", 2));
    ASSERT_EQ(wide.size(), 2u);
    EXPECT_EQ(wide[0], L'a');
    EXPECT_LT(wide[1], 0);
    EXPECT_EQ(Utils::wstringToString(wide), std::string("a\xE9", 2));
    wchar_t* converted = Utils::stringToWCharPtr("abc");
    EXPECT_EQ(std::wstring(converted), L"abc");
    delete[] converted;
}

TEST(Utils, RandomStaysInItsRange)
{
    for (int i = 0; i < 1000; ++i)
    {
        int const n = Utils::random(7);
        EXPECT_GE(n, 0);
        EXPECT_LT(n, 7);
        float const f = Utils::random(2.5f);
        EXPECT_GE(f, 0.f);
        EXPECT_LT(f, 2.5f);
    }
}

TEST(Utils, RandomOfAnEmptyRangeIsFatal)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] { Utils::random(0); });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("Condition: n != 0\n"), std::string::npos) << result.errors;
}

TEST(Utils, RebootReplacesTheProcessOrEndsItWithTheReport)
{
    TestSupport::ChildResult const rebooted = TestSupport::runInChild([] { Utils::rebootApplication("true"); });
    EXPECT_EQ(rebooted.exitStatus, 0);
    EXPECT_EQ(rebooted.errors, "");

    TestSupport::ChildResult const failed =
        TestSupport::runInChild([] { Utils::rebootApplication("/nonexistent/Application"); });
    EXPECT_EQ(failed.exitStatus, 1);
    EXPECT_NE(failed.errors.find("__FILE__ quillet_src/Utils.cpp\n"), std::string::npos) << failed.errors;
    EXPECT_EQ(failed.errors.find("Condition: "), std::string::npos);
    EXPECT_NE(failed.errors.find("\nMessage: should not be here\n"), std::string::npos);
}

TEST(BeforeMain, ArgumentsKeepEveryWordInOrder)
{
    char program[] = "./Application";
    char first[] = "-x";
    char second[] = "world.dat";
    char* argv[] = {program, first, second, NULL};
    EXPECT_EQ(BeforeMain::getArgumentsFromArgv(3, argv),
              (std::vector<std::string>{"./Application", "-x", "world.dat"}));
    EXPECT_TRUE(BeforeMain::getArgumentsFromArgv(0, argv).empty());
}

TEST(Date, YearsOfDifferenceIgnoresMonthsAndDays)
{
    EXPECT_EQ(Date(2010, 12, 31).getYearsOfDifference(Date(2011, 1, 1)), 1);
    EXPECT_EQ(Date(2011, 1, 1).getYearsOfDifference(Date(2001, 6, 6)), 10);
    Date* today = Date::getCurrentDate();
    EXPECT_GE(today->year, 2024);
    EXPECT_GE(today->month, 1);
    EXPECT_LE(today->month, 12);
    EXPECT_GE(today->day, 1);
    EXPECT_LE(today->day, 31);
    delete today;
}

TEST(Thread, CreatedThreadRunsItsRoutineWithItsArgument)
{
    static std::atomic<int> seen(0);
    int argument = 41;
    Thread::createThread(
        [](void* p) -> void* {
            seen = *static_cast<int*>(p) + 1;
            return NULL;
        },
        &argument);
    for (int i = 0; i < 500 && seen == 0; ++i)
        Thread::uSleep(1000);
    EXPECT_EQ(seen, 42);
}

TEST(Utils, LtstrOrdersNamesByUnsignedBytesOverTheirWholeLength)
{
    Utils::Ltstr const less;
    // Upper case before lower case, and a byte above 127 after every ASCII one.
    EXPECT_TRUE(less("Zebra", "apple"));
    EXPECT_TRUE(less("zebra", "\xC3\xA9t\xC3\xA9"));
    EXPECT_FALSE(less("\xC3\xA9t\xC3\xA9", "zebra"));
    // A prefix comes first; equal names are not less.
    EXPECT_TRUE(less("ab", "abc"));
    EXPECT_FALSE(less("abc", "abc"));
    // A zero byte does not end the name.
    EXPECT_TRUE(less(std::string("a\0b", 3), std::string("a\0c", 3)));
    EXPECT_TRUE(less("a", std::string("a\0", 2)));
}
