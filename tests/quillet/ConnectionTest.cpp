#include "Connection.h"
#include "Network.h"
#include "NetworkTestPeer.h"

#include <algorithm>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

using namespace NetworkTestPeer;

namespace
{
std::string const FORM_TYPE = "Content-Type: application/x-www-form-urlencoded\n";

// Fetches path from a one-shot server on loopback and returns the body; the request it sent lands in request.
std::string fetch(OneShotHttpServer& server, char const* path, Connection::PostArgumentList const* form,
                  bool keepAlive, std::string& request)
{
    Connection* const connection = Network().createConnection("127.0.0.1", true, server.getPort(), true, false);
    connection->connectToServer();
    std::string* const page = connection->getHTTPPage(path, form, keepAlive);
    delete connection;
    request = server.takeRequest();
    std::string const body = *page;
    delete page;
    return body;
}
}

TEST(ReceiveLine, KeepsLineFeedAndEndsUnstoredAtZeroByteOrClose)
{
    int ends[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, ends));
    std::string const sent("ab\ncd\0ef\n\0gh", 12);
    sendText(ends[1], sent);
    close(ends[1]);

    EXPECT_EQ("ab\n", Connection::receiveLine(ends[0], false));
    EXPECT_EQ("cd", Connection::receiveLine(ends[0], false));
    EXPECT_EQ("ef\n", Connection::receiveLine(ends[0], false));
    EXPECT_EQ("", Connection::receiveLine(ends[0], false)) << "a 0 byte first is an empty line";
    EXPECT_EQ("gh", Connection::receiveLine(ends[0], false));
    EXPECT_EQ("", Connection::receiveLine(ends[0], false));
    close(ends[0]);
}

TEST(ReceiveLine, ReadersStopAtTheirLengthLimitsAndDeadline)
{
    int ends[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, ends));
    // A peer that never ends its line, then one that never ends its message.
    std::thread flood([&ends] {
        sendText(ends[1], std::string(Connection::MAX_LINE_LENGTH + 1000, 'x'));
        std::string lines;
        for (int i = 0; i < 1024; ++i)
            lines += std::string(1023, 'y') + "\n";
        while (send(ends[1], lines.data(), lines.size(), MSG_NOSIGNAL) > 0)
        {
        }
    });

    std::string line;
    EXPECT_EQ(Connection::LineEnd::TOO_LONG,
              Connection::receiveLine(ends[0], false, Connection::MAX_LINE_LENGTH, -1, line));
    EXPECT_EQ(Connection::MAX_LINE_LENGTH, line.size());
    Connection::receiveLine(ends[0], false, Connection::MAX_LINE_LENGTH, -1, line);
    EXPECT_EQ(std::string(1000, 'x'), line.substr(0, 1000));

    std::string message;
    EXPECT_EQ(Connection::LineEnd::TOO_LONG, Connection::receiveMessage(ends[0], false, -1, message));
    EXPECT_EQ(Connection::MAX_MESSAGE_LENGTH, message.size());
    close(ends[0]);
    flood.join();

    int silent[2];
    ASSERT_EQ(0, socketpair(AF_UNIX, SOCK_STREAM, 0, silent));
    sendText(silent[1], "half a li");
    EXPECT_EQ(Connection::LineEnd::TIMED_OUT,
              Connection::receiveLine(silent[0], false, 100, Connection::deadlineAfter(50), line));
    EXPECT_EQ("half a li", line);
    close(silent[0]);
    close(silent[1]);
}

TEST(WebAddress, BareHostMeansRootOnPort80)
{
    std::string host;
    int port = 0;
    std::string path;
    ASSERT_TRUE(Network::splitWebAddress("http://example.org", host, port, path));
    EXPECT_EQ("example.org", host);
    EXPECT_EQ(80, port);
    EXPECT_EQ("/", path);

    ASSERT_TRUE(Network::splitWebAddress("http://example.org:8080/a/b?c=d", host, port, path));
    EXPECT_EQ("example.org", host);
    EXPECT_EQ(8080, port);
    EXPECT_EQ("/a/b?c=d", path);

    ASSERT_TRUE(Network::splitWebAddress("http://example.org:99999/", host, port, path));
    EXPECT_EQ("example.org:99999", host) << "not a port: left to the name lookup to refuse";
    EXPECT_EQ(80, port);

    EXPECT_FALSE(Network::splitWebAddress("ftp://example.org/", host, port, path));
    EXPECT_FALSE(Network::splitWebAddress("http:/", host, port, path));
}

TEST(HttpRequest, GetOfBareHostAsksForRootAndReturnsTheBody)
{
    std::string const expected = "GET / HTTP/1.0\nHost: 127.0.0.1\n\n";
    OneShotHttpServer server("HTTP/1.0 200 OK\r\nServer: peer\r\n\r\nhello\nworld", expected.size());

    std::string* const page = Network().getPageFromWebServer(
        "http://127.0.0.1:" + std::to_string(server.getPort()), NULL, true, false);

    ASSERT_NE(nullptr, page);
    EXPECT_EQ("hello\nworld", *page);
    EXPECT_EQ(expected, server.takeRequest());
    delete page;
}

TEST(HttpRequest, PostSendsTheFormWithItsLengthAndEmptyLines)
{
    std::string const expected = "POST /form HTTP/1.0\nHost: 127.0.0.1\nConnection: keep-alive\n"
                                 "Content-Length: 7\n" + FORM_TYPE + "\na=1&b=x\n\n";
    OneShotHttpServer server("HTTP/1.0 200 OK\n\ndone", expected.size());
    Connection::PostArgumentList form;
    form["b"] = "x";
    form["a"] = "1";
    std::string request;

    EXPECT_EQ("done", fetch(server, "/form", &form, true, request));
    EXPECT_EQ(expected, request);

    std::string const expectedEmpty = "POST / HTTP/1.0\nHost: 127.0.0.1\nContent-Length: 0\n" + FORM_TYPE + "\n\n\n";
    OneShotHttpServer emptyServer("HTTP/1.0 200 OK\n\n", expectedEmpty.size());
    Connection::PostArgumentList const empty;

    EXPECT_EQ("", fetch(emptyServer, "/", &empty, false, request));
    EXPECT_EQ(expectedEmpty, request);
}

TEST(HttpAnswer, ChunkedAnswerKeepsItsLaterChunkSizeLines)
{
    std::string const expected = "GET /c HTTP/1.0\nHost: 127.0.0.1\n\n";
    OneShotHttpServer server("HTTP/1.1 200 OK\r\nTransfer-Encoding: chunked\r\n\r\n"
                             "5\r\nhello\r\n3\r\nabc\r\n0\r\n\r\n",
                             expected.size());
    std::string request;

    EXPECT_EQ("hello\r\n3\r\nabc\r\n0\r\n\r\n", fetch(server, "/c", NULL, false, request));
}

TEST(HttpAnswer, ZeroByteEndsTheLineAndFirstInALineEndsTheReading)
{
    std::string const expected = "GET /z HTTP/1.0\nHost: 127.0.0.1\n\n";
    OneShotHttpServer server(std::string("HTTP/1.0 200 OK\n\nab") + '\0' + "cd\n" + '\0' + "never read\n",
                             expected.size());
    std::string request;

    EXPECT_EQ("abcd\n", fetch(server, "/z", NULL, false, request));
}

TEST(Network, FailuresReturnNullOrEndTheProgramAsAsked)
{
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    Network const network;
    int const closedPort = closedLoopbackPort();
    std::string const closedAddress = "http://127.0.0.1:" + std::to_string(closedPort) + "/";

    EXPECT_EQ(nullptr, network.createConnection("300.1.2.3", true, 80, false, false));
    EXPECT_EQ(nullptr, network.getPageFromWebServer(closedAddress, NULL, false, false));

    EXPECT_EXIT(network.createConnection("300.1.2.3", true, 80, true, false), testing::ExitedWithCode(1),
                "Message: inet_aton failed");
    EXPECT_EXIT(network.getPageFromWebServer(closedAddress, NULL, true, false), testing::ExitedWithCode(1),
                "Message: error while connecting to server");
    EXPECT_EXIT(network.getPageFromWebServer("ftp://127.0.0.1/", NULL, false, false), testing::ExitedWithCode(1),
                "Message: getPageFromWebServer: unknown protocol, url not beginning by http://");
}

TEST(SimplePage, SendsEveryLineThenAZeroByteAndReturnsAllTheAnswer)
{
    std::string const expected("first\n\nthird\n\0", 14);
    OneShotHttpServer peer("one\ntwo", expected.size());
    std::string error;
    Connection connection("127.0.0.1", true, peer.getPort(), error, false);
    ASSERT_EQ("", error);
    connection.connectToServer();

    std::string* const answer = connection.getSimplePage("first\n\nthird");
    EXPECT_EQ("one\ntwo", *answer);
    EXPECT_EQ(expected, peer.takeRequest());
    delete answer;
}

TEST(Connection, VerboseTraceNamesEachStep)
{
    std::string const request = "GET /v HTTP/1.0\nHost: 127.0.0.1\n\n";
    OneShotHttpServer peer("HTTP/1.0 200 OK\n\nbody\n", request.size());
    testing::internal::CaptureStdout();
    std::string error;
    Connection* const connection = new Connection("127.0.0.1", true, peer.getPort(), error, true);
    connection->connectToServer();
    std::string* const page = connection->getHTTPPage("/v", NULL, false);
    delete connection;
    std::string const trace = testing::internal::GetCapturedStdout();
    EXPECT_EQ("body\n", *page);
    delete page;

    std::string const port = std::to_string(peer.getPort());
    std::string const steps[] = {"Getting ip 127.0.0.1...",
                                 "done.",
                                 "Connecting to 127.0.0.1 on port " + port + " using socket ",
                                 "done.",
                                 "Sending ...",
                                 "sendLine: GET /v HTTP/1.0\n",
                                 "sendLine: Host: 127.0.0.1\n",
                                 "End sending, waiting for response ...",
                                 "readLine: HTTP/1.0 200 OK\n",
                                 "readLine: body\n",
                                 "End response.",
                                 "Closing socket ",
                                 "done."};
    size_t at = 0;
    for (std::string const& step : steps)
    {
        size_t const found = trace.find(step, at);
        ASSERT_NE(std::string::npos, found) << "missing or out of order: " << step << "\n" << trace;
        at = found + step.size();
    }
    EXPECT_EQ(request, peer.takeRequest());
}

TEST(Network, LocalIpIsADottedAddressOfThisMachine)
{
    std::string const ip = Network().getLocalIp();
    in_addr parsed;
    EXPECT_NE(0, inet_aton(ip.c_str(), &parsed)) << ip;
    EXPECT_EQ(3, std::count(ip.begin(), ip.end(), '.')) << ip;
}
