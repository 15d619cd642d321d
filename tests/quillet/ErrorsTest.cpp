#include "Errors.h"
#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>

namespace
{
std::string const HEADER =
    "ERROR : The program aborted unexpectedly. Please send these informations to the developing team for debug:\n\n"
    "Le programme a quitte inopinement. Merci d'envoyer les informations suivantes a l'equipe de developpement pour "
    "corriger le bug :\n\n"
    "El programa se interrumpe inesperadamente. Por favor enviase estas informaciones a el equipo de programacion "
    "para el depuracion del programa :\n\n"
    "\n__DATE__ May  8 2010"
    "\n__FILE__ quillet_src/DeviceManager.cpp"
    "\n__LINE__ 42"
    "\n__TIME__ 17:59:34";
}

TEST(Errors, FatalReportWithConditionAndMessageIsExactAndExitsWith1)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        Errors::printErrorAndQuit("May  8 2010", "quillet_src/DeviceManager.cpp", 42, "17:59:34", "argc == 3",
                                  "bad count");
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_EQ(result.errors, HEADER + "\nProgram version: (unknown)\nCondition: argc == 3\nMessage: bad count\n\n");
}

TEST(Errors, FatalReportLeavesOutMissingConditionAndMessage)
{
    TestSupport::ChildResult const neither = TestSupport::runInChild([] {
        Errors::printErrorAndQuit("May  8 2010", "quillet_src/DeviceManager.cpp", 42, "17:59:34", NULL, NULL);
    });
    EXPECT_EQ(neither.exitStatus, 1);
    EXPECT_EQ(neither.errors, HEADER + "\nProgram version: (unknown)\n\n");

    TestSupport::ChildResult const messageOnly = TestSupport::runInChild([] {
        Errors::setProgramVersion("0.19");
        Errors::printErrorAndQuit("May  8 2010", "quillet_src/DeviceManager.cpp", 42, "17:59:34", NULL,
                                  "should not be here");
    });
    EXPECT_EQ(messageOnly.exitStatus, 1);
    EXPECT_EQ(messageOnly.errors, HEADER + "\nProgram version: 0.19\nMessage: should not be here\n\n");
}

TEST(Errors, AssertReportsConditionTextAndSourcePathRelativeToTheRoot)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        int const argc = 2;
        ASSERT(argc == 3, "wrong count");
    });
    EXPECT_EQ(result.exitStatus, 1);
    EXPECT_NE(result.errors.find("\n__FILE__ tests/quillet/ErrorsTest.cpp\n"), std::string::npos) << result.errors;
    EXPECT_NE(result.errors.find("\nCondition: argc == 3\nMessage: wrong count\n"), std::string::npos);
}

TEST(Errors, PassingAssertAndPrintErrorLetTheProgramGoOn)
{
    TestSupport::ChildResult const result = TestSupport::runInChild([] {
        int const argc = 3;
        ASSERT(argc == 3, NULL);
        Errors::printError("extension not available", true);
    });
    EXPECT_EQ(result.exitStatus, 0);
    EXPECT_EQ(result.errors, "ERROR : extension not available\n");
}

// Tools replace the report with one line of their own; a handler that returns
// still gets the usual report and exit.
TEST(Errors, AFatalHandlerReplacesTheReport)
{
    TestSupport::ChildResult const replaced = TestSupport::runInChild([] {
        Errors::setFatalHandler([](char const* condition, char const* message) {
            fprintf(stderr, "tool: %s / %s\n", condition, message);
            std::exit(3);
        });
        int const argc = 2;
        ASSERT(argc == 3, "wrong count");
    });
    EXPECT_EQ(replaced.exitStatus, 3);
    EXPECT_EQ(replaced.errors, "tool: argc == 3 / wrong count\n");
    TestSupport::ChildResult const returned = TestSupport::runInChild([] {
        Errors::setFatalHandler([](char const*, char const*) { fprintf(stderr, "noted\n"); });
        FATAL_ERROR("stop");
    });
    EXPECT_EQ(returned.exitStatus, 1);
    EXPECT_EQ(returned.errors.find("noted\nERROR : "), 0u) << returned.errors;
}
