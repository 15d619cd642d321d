#include "Connection.h"
#include "NetworkTestPeer.h"
#include "Server.h"

#include <atomic>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>
#include <vector>

using namespace NetworkTestPeer;

namespace
{
// How long the accepting thread may go without looking for a client or the stop flag.
int const SLEEP_US = 1000;

std::atomic<int> callbacksEntered(0);
std::atomic<int> callbacksFinished(0);

std::string* echo(char const* request)
{
    ++callbacksEntered;
    return new std::string("you said: " + std::string(request));
}

std::string answerBlock(std::string const& answer)
{
    return "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(answer.size()) +
           "\r\nConnection: close\r\nContent-Type: text/html\r\n\r\n" + answer;
}

// One raw exchange through the client class; empty when the server cannot be reached.
std::string exchange(int port, std::string const& text)
{
    std::string error;
    Connection connection("127.0.0.1", true, port, error, false);
    if (!connection.tryConnectToServer(error))
        return "";
    std::string* const answer = connection.getSimplePage(text.c_str());
    std::string const copy = *answer;
    delete answer;
    return copy;
}

bool waitFor(std::atomic<int> const& counter, int wanted)
{
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(PATIENCE_MS);
    while (counter < wanted && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    return counter >= wanted;
}
}

TEST(Server, SimplePageGetsTheHeaderBlockABlankLineAndTheCallbackTextOnly)
{
    Server server(echo, 0, SLEEP_US, 4, false);

    EXPECT_EQ(answerBlock("you said: hello\n\nworld\n"), exchange(server.getPort(), "hello\n\nworld"));

    // On the wire the answer ends with one 0 byte, and the server closes.
    int const client = connectToLoopback(server.getPort());
    sendText(client, std::string("abc\n") + '\0');
    bool closed = false;
    EXPECT_EQ(answerBlock("you said: abc\n") + '\0', receiveUpTo(client, 1 << 20, PATIENCE_MS, &closed));
    EXPECT_TRUE(closed);
    close(client);

    // A client that closes its side instead of sending the 0 byte is answered too.
    int const closer = connectToLoopback(server.getPort());
    sendText(closer, "bye\n");
    shutdown(closer, SHUT_WR);
    EXPECT_EQ(answerBlock("you said: bye\n") + '\0', receiveUpTo(closer, 1 << 20, PATIENCE_MS));
    close(closer);
}

TEST(Server, ServesTwoClientsAtOnceAndItsDestructorWaitsForBoth)
{
    // Each answer waits for the other request to be in the callback too.
    Server* const server = new Server(
        [](char const* request) {
            ++callbacksEntered;
            waitFor(callbacksEntered, 2);
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
            ++callbacksFinished;
            return new std::string(request);
        },
        0, SLEEP_US, 2, false);
    int const port = server->getPort();
    std::string answers[2];
    std::thread first([&] { answers[0] = exchange(port, "one"); });
    std::thread second([&] { answers[1] = exchange(port, "two"); });

    ASSERT_TRUE(waitFor(callbacksEntered, 2)) << "the two clients were not served at once";
    delete server;
    EXPECT_EQ(2, callbacksFinished) << "the server was gone before its answers";

    first.join();
    second.join();
    EXPECT_EQ(answerBlock("one\n"), answers[0]);
    EXPECT_EQ(answerBlock("two\n"), answers[1]);
}

TEST(Server, WithEverySlotBusyAcceptsNoClientUntilOneFrees)
{
    Server server(echo, 0, SLEEP_US, 1, false);
    int const holder = connectToLoopback(server.getPort());
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    int const waiter = connectToLoopback(server.getPort());
    sendText(waiter, std::string("second\n") + '\0');

    EXPECT_FALSE(readableWithin(waiter, 300)) << "answered while the only slot was busy";

    sendText(holder, std::string("first\n") + '\0');
    EXPECT_EQ(answerBlock("you said: first\n") + '\0', receiveUpTo(holder, 1 << 20, PATIENCE_MS));
    EXPECT_EQ(answerBlock("you said: second\n") + '\0', receiveUpTo(waiter, 1 << 20, PATIENCE_MS));
    close(holder);
    close(waiter);
}

TEST(Server, DropsSilentAndEndlessClientsWithoutAnswerAndFreesTheirSlot)
{
    Server server(echo, 0, SLEEP_US, 1, false, 200);

    int const silent = connectToLoopback(server.getPort());
    bool closed = false;
    EXPECT_EQ("", receiveUpTo(silent, 1, PATIENCE_MS, &closed));
    EXPECT_TRUE(closed) << "a silent client kept its slot";
    close(silent);

    int const endless = connectToLoopback(server.getPort());
    std::thread flood([endless] { sendText(endless, std::string(Connection::MAX_LINE_LENGTH + 1, 'x')); });
    EXPECT_EQ("", receiveUpTo(endless, 1, PATIENCE_MS, &closed));
    EXPECT_TRUE(closed) << "a client sending an endless line kept its slot";
    flood.join();
    close(endless);

    EXPECT_EQ(0, callbacksEntered) << "an incomplete request was answered";
    EXPECT_EQ(answerBlock("you said: next\n"), exchange(server.getPort(), "next"));
}

TEST(ServerLoad, EightClientsMakeTwoHundredExchangesEachAllWhole)
{
    int const clients = 8;
    int const exchanges = 200;
    // The client never gives up on an answer, so a lost one would hang the run: bound it here.
    auto const patience = std::chrono::seconds(60);
    Server server(echo, 0, SLEEP_US, clients, false);
    std::atomic<int> whole(0);
    std::atomic<int> finishedClients(0);
    std::vector<std::thread> threads;
    for (int client = 0; client < clients; ++client)
        threads.emplace_back([&, client] {
            for (int i = 0; i < exchanges; ++i)
            {
                std::string text = "client " + std::to_string(client) + "\nexchange " + std::to_string(i);
                // Now and then an answer far larger than the socket buffers.
                if (i % 50 == 0)
                    text += "\n" + std::string(100000, static_cast<char>('a' + client));
                if (exchange(server.getPort(), text) == answerBlock("you said: " + text + "\n"))
                    ++whole;
            }
            ++finishedClients;
        });
    auto const deadline = std::chrono::steady_clock::now() + patience;
    while (finishedClients < clients && std::chrono::steady_clock::now() < deadline)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    if (finishedClients < clients)
    {
        fprintf(stderr, "only %d of %d clients finished within %lld s\n", finishedClients.load(), clients,
                static_cast<long long>(patience.count()));
        std::_Exit(1);
    }
    for (std::thread& thread : threads)
        thread.join();

    EXPECT_EQ(clients * exchanges, whole);
    EXPECT_EQ(clients * exchanges, callbacksEntered);
}

TEST(Server, PortInUseEndsTheProgramNamingTheError)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Server first(echo, 0, SLEEP_US, 1, false);

    EXPECT_EXIT(Server(echo, first.getPort(), SLEEP_US, 1, false), testing::ExitedWithCode(1),
                "Message: pb on bind for Server : EADDRINUSE");
}
