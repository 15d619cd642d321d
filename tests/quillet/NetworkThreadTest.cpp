#include "Network.h"
#include "NetworkTestPeer.h"
#include "NetworkThread.h"

#include <chrono>
#include <gtest/gtest.h>
#include <thread>

using namespace NetworkTestPeer;

namespace
{
// The background thread's pause between two looks, in microseconds.
int const SLEEP_US = 1000;

// Polls as a frame loop would until the page has arrived; false after the patience runs out.
bool pollUntilArrived(NetworkThread const& fetcher)
{
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(PATIENCE_MS);
    while (!fetcher.hasWebPageArrived() && std::chrono::steady_clock::now() < deadline)
    {
        if (!fetcher.isThereWebPageInProcess())
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return fetcher.hasWebPageArrived();
}

std::string postRequest(std::string const& path, std::string const& body)
{
    return "POST " + path + " HTTP/1.0\nHost: 127.0.0.1\nContent-Length: " + std::to_string(body.size()) +
           "\nContent-Type: application/x-www-form-urlencoded\n\n" + body + "\n\n";
}
}

TEST(NetworkThread, PageArrivesWhileTheCallerPollsAndStaysInProcessUntilTaken)
{
    std::string const expected = postRequest("/scores", "level=3&name=ann");
    OneShotHttpServer server("HTTP/1.0 200 OK\r\n\r\nfirst place\n", expected.size(), false);
    Network network;
    NetworkThread fetcher(&network, "127.0.0.1", server.getPort(), SLEEP_US, false);
    EXPECT_FALSE(fetcher.isThereWebPageInProcess());
    Connection::PostArgumentList form;
    form["name"] = "ann";
    form["level"] = "3";

    fetcher.launchWebPageRequest("/scores", &form);
    form.clear();
    for (int frame = 0; frame < 50; ++frame)
    {
        EXPECT_TRUE(fetcher.isThereWebPageInProcess());
        EXPECT_FALSE(fetcher.hasWebPageArrived()) << "arrived before the server answered";
        std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    server.release();
    ASSERT_TRUE(pollUntilArrived(fetcher));
    EXPECT_TRUE(fetcher.isThereWebPageInProcess()) << "arrived but not taken yet";

    std::string* const page = fetcher.getLastWebPage();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("first place\n", *page);
    EXPECT_FALSE(fetcher.isThereWebPageInProcess());
    EXPECT_EQ(expected, server.takeRequest()) << "the form is copied at the request";
    delete page;
}

TEST(NetworkThread, UnreachableServerGivesANullPageAndANewInstanceMayFollow)
{
    Network network;
    NetworkThread* fetcher = new NetworkThread(&network, "127.0.0.1", closedLoopbackPort(), SLEEP_US, false);
    fetcher->launchWebPageRequest("/", NULL);
    ASSERT_TRUE(pollUntilArrived(*fetcher));
    EXPECT_EQ(nullptr, fetcher->getLastWebPage());

    // Destroyed with a null answer waiting: no page to free, and no fault.
    fetcher->launchWebPageRequest("/", NULL);
    ASSERT_TRUE(pollUntilArrived(*fetcher));
    delete fetcher;

    std::string const expected = postRequest("/again", "");
    OneShotHttpServer server("HTTP/1.0 200 OK\n\nback", expected.size());
    fetcher = new NetworkThread(&network, "127.0.0.1", server.getPort(), SLEEP_US, false);
    fetcher->launchWebPageRequest("/again", NULL);
    ASSERT_TRUE(pollUntilArrived(*fetcher));
    std::string* const page = fetcher->getLastWebPage();
    ASSERT_NE(nullptr, page);
    EXPECT_EQ("back", *page);
    EXPECT_EQ(expected, server.takeRequest());
    delete page;
    delete fetcher;
}

TEST(NetworkThread, MisuseEndsTheProgram)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Network network;
    // A long pause keeps the background thread from serving during the checks.
    int const slowly = 10 * 1000 * 1000;

    EXPECT_EXIT(
        {
            NetworkThread first(&network, "127.0.0.1", 80, slowly, false);
            NetworkThread second(&network, "127.0.0.1", 80, slowly, false);
        },
        testing::ExitedWithCode(1), "Condition: !uniqueInstance\nMessage: NetworkThread: another instance");
    EXPECT_EXIT(
        {
            NetworkThread fetcher(&network, "127.0.0.1", 80, slowly, false);
            fetcher.launchWebPageRequest("/a", NULL);
            fetcher.launchWebPageRequest("/b", NULL);
        },
        testing::ExitedWithCode(1), "Message: NetworkThread: another page has already been requested");
    EXPECT_EXIT(
        {
            NetworkThread fetcher(&network, "127.0.0.1", 80, slowly, false);
            fetcher.launchWebPageRequest("/a", NULL);
            fetcher.getLastWebPage();
        },
        testing::ExitedWithCode(1), "Condition: isWebPageArrived\nMessage: NetworkThread: page has not already arrived");
}
