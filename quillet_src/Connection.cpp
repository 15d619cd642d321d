#include "Connection.h"

#include "Errors.h"

#include <algorithm>
#include <arpa/inet.h>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <iostream>
#include <netdb.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// How much one look into the socket may see; a line longer than this is read in pieces.
size_t const PEEK_SIZE = 16 * 1024;

int64_t steadyMicroseconds()
{
    return std::chrono::duration_cast<std::chrono::microseconds>(
               std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

enum class Readiness
{
    READY,
    TIMED_OUT,
    FAILED
};

// Waits for something to read (or the peer's close) until the deadline; -1 waits for ever.
Readiness waitReadable(int socket, int64_t deadline)
{
    if (deadline < 0)
        return Readiness::READY;
    for (;;)
    {
        int64_t const left = deadline - steadyMicroseconds();
        if (left <= 0)
            return Readiness::TIMED_OUT;
        pollfd watched = {socket, POLLIN, 0};
        int const ready = poll(&watched, 1, static_cast<int>((left + 999) / 1000));
        if (ready > 0)
            return Readiness::READY;
        if (ready < 0 && errno != EINTR)
            return Readiness::FAILED;
    }
}

ssize_t receiveRetrying(int socket, char* buffer, size_t size, int flags)
{
    for (;;)
    {
        ssize_t const received = recv(socket, buffer, size, flags);
        if (received >= 0 || errno != EINTR)
            return received;
    }
}

void printLineLimitError(std::string const& who, size_t bytes)
{
    Errors::printError(who + ": reading stopped after " + std::to_string(bytes) +
                       " bytes: a line or the whole message exceeds its length limit");
}
}

bool Connection::ltstrPostArgumentListType::operator()(std::string const& left, std::string const& right) const
{
    return strcmp(left.c_str(), right.c_str()) < 0;
}

int64_t Connection::deadlineAfter(int milliseconds)
{
    return steadyMicroseconds() + static_cast<int64_t>(milliseconds) * 1000;
}

Connection::Connection(char const* host_, bool isIp, int port_, std::string& error, bool verbose_)
    : host(host_ != NULL ? host_ : ""), port(port_), verbose(verbose_)
{
    error.clear();
    socket = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    if (socket < 0)
    {
        error = std::string("socket creation failed: ") + strerror(errno);
        socket = NO_SOCKET;
    }
    if (verbose)
        std::cout << "Getting ip " << host << "..." << std::flush;
    if (error.empty())
    {
        if (isIp)
            parseDottedAddress_(error);
        else
            resolveName_(error);
    }
    if (verbose)
    {
        if (!error.empty())
            std::cout << "Error in connection: " << error;
        std::cout << "done." << std::endl;
    }
}

Connection::~Connection()
{
    unconnect();
    delete address;
}

bool Connection::resolveName_(std::string& error)
{
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = NULL;
    int const status = getaddrinfo(host.c_str(), NULL, &hints, &found);
    if (status != 0 || found == NULL)
    {
        error = std::string("La connection a echoue. Verifiez votre connection Internet.\n") +
                "Connection failed. Check your Internet connection.\n" + "Details of the failure :\n" +
                "(he = gethostbyname(hostName)) == 0 failed: " + gai_strerror(status) + " ; Server:" + host;
        return false;
    }
    address = new in_addr(reinterpret_cast<sockaddr_in const*>(found->ai_addr)->sin_addr);
    freeaddrinfo(found);
    return true;
}

bool Connection::parseDottedAddress_(std::string& error)
{
    in_addr parsed;
    if (inet_aton(host.c_str(), &parsed) == 0)
    {
        error = "inet_aton failed";
        return false;
    }
    address = new in_addr(parsed);
    return true;
}

void Connection::connectToServer()
{
    std::string error;
    if (!tryConnectToServer(error))
        FATAL_ERROR("error while connecting to server");
}

bool Connection::tryConnectToServer(std::string& error)
{
    if (verbose)
        std::cout << "Connecting to " << host << " on port " << port << " using socket " << socket << "..."
                  << std::flush;
    if (address == NULL || socket == NO_SOCKET)
    {
        error = "cannot connect to " + host + ": the host was not resolved or the socket is closed";
        return false;
    }
    sockaddr_in server;
    memset(&server, 0, sizeof server);
    server.sin_family = AF_INET;
    server.sin_port = htons(static_cast<uint16_t>(port));
    server.sin_addr = *address;
    if (connect(socket, reinterpret_cast<sockaddr const*>(&server), sizeof server) != 0)
    {
        error = "cannot connect to " + host + " on port " + std::to_string(port) + ": " + strerror(errno);
        if (verbose)
            std::cout << "failed." << std::endl;
        return false;
    }
    if (verbose)
        std::cout << "done." << std::endl;
    return true;
}

void Connection::unconnect()
{
    if (verbose)
        std::cout << "Closing socket " << socket << "..." << std::flush;
    if (socket != NO_SOCKET)
    {
        close(socket);
        socket = NO_SOCKET;
    }
    if (verbose)
        std::cout << "done." << std::endl;
}

std::string* Connection::getHTTPPage(char const* path, PostArgumentList const* postArguments, bool keepAlive)
{
    if (verbose)
        std::cout << "Sending ..." << std::endl;
    std::string const request = buildRequest_(path != NULL ? path : "", host, postArguments, keepAlive, verbose);
    if (!sendAll(socket, request))
    {
        Errors::printError("getHTTPPage: sending the request to " + host + " failed: " + strerror(errno));
        return new std::string();
    }
    if (verbose)
        std::cout << "End sending, waiting for response ..." << std::endl;
    std::string* const body = receiveHTTPBody_();
    if (verbose)
        std::cout << "End response." << std::endl;
    return body;
}

std::string Connection::buildRequest_(std::string const& path, std::string const& host,
                                      PostArgumentList const* postArguments, bool keepAlive, bool verbose)
{
    std::string request;
    appendLine_(request, (postArguments != NULL ? "POST " : "GET ") + path + " HTTP/1.0", verbose);
    appendLine_(request, "Host: " + host, verbose);
    if (keepAlive)
        appendLine_(request, "Connection: keep-alive", verbose);
    if (postArguments != NULL)
    {
        std::string body;
        for (PostArgumentList::const_iterator argument = postArguments->begin(); argument != postArguments->end();
             ++argument)
        {
            if (!body.empty())
                body += "&";
            body += argument->first + "=" + argument->second;
        }
        appendLine_(request, "Content-Length: " + std::to_string(body.size()), verbose);
        appendLine_(request, "Content-Type: application/x-www-form-urlencoded", verbose);
        appendLine_(request, "", verbose);
        appendLine_(request, body, verbose);
    }
    appendLine_(request, "", verbose);
    return request;
}

// The lines of a request go out in one send: a run of small sends would wait
// on the peer's delayed acknowledgements. The bytes are those of sendLine.
void Connection::appendLine_(std::string& request, std::string const& line, bool verbose)
{
    request += line;
    request += '\n';
    if (verbose)
        std::cout << "sendLine: " << line << std::endl;
}

std::string* Connection::receiveHTTPBody_() const
{
    std::string* const body = new std::string();
    bool chunked = false;
    std::string line;
    for (;;)
    {
        LineEnd const end = receiveLine(socket, verbose, MAX_LINE_LENGTH, -1, line);
        if (end == LineEnd::TOO_LONG)
            printLineLimitError("getHTTPPage", line.size());
        if (line.empty() || end == LineEnd::TOO_LONG)
            return body;
        if (line == "\r\n" || line == "\n")
            break;
        if (line == "Transfer-Encoding: chunked\r\n" || line == "Transfer-Encoding: chunked\n")
            chunked = true;
    }
    // The first chunk size is dropped; the later ones stay in the body.
    if (chunked && receiveLine(socket, verbose).empty())
        return body;
    if (receiveMessage(socket, verbose, -1, *body) == LineEnd::TOO_LONG)
        printLineLimitError("getHTTPPage", body->size());
    return body;
}

std::string* Connection::getSimplePage(char const* text)
{
    if (verbose)
        std::cout << "Sending ..." << std::endl;
    std::string const message = text != NULL ? text : "";
    std::string request;
    size_t start = 0;
    while (start < message.size())
    {
        size_t const lineFeed = message.find('\n', start);
        size_t const end = lineFeed == std::string::npos ? message.size() : lineFeed;
        appendLine_(request, message.substr(start, end - start), verbose);
        start = end + 1;
    }
    request += '\0';
    std::string* const answer = new std::string();
    if (!sendAll(socket, request))
    {
        Errors::printError("getSimplePage: sending to " + host + " failed: " + strerror(errno));
        return answer;
    }
    if (verbose)
        std::cout << "End sending, waiting for response ..." << std::endl;
    if (receiveMessage(socket, verbose, -1, *answer) == LineEnd::TOO_LONG)
        printLineLimitError("getSimplePage", answer->size());
    if (verbose)
        std::cout << "End response." << std::endl;
    return answer;
}

bool Connection::sendLine(int socket, std::string const& line, bool verbose)
{
    bool const sent = sendAll(socket, line + "\n");
    if (verbose)
        std::cout << "sendLine: " << line << std::endl;
    return sent;
}

bool Connection::sendAll(int socket, std::string const& data)
{
    size_t sent = 0;
    while (sent < data.size())
    {
        // MSG_NOSIGNAL: a peer that has gone must not kill the process with SIGPIPE.
        ssize_t const now = send(socket, data.data() + sent, data.size() - sent, MSG_NOSIGNAL);
        if (now < 0 && errno == EINTR)
            continue;
        if (now <= 0)
            return false;
        sent += static_cast<size_t>(now);
    }
    return true;
}

std::string Connection::receiveLine(int socket, bool verbose)
{
    std::string line;
    if (receiveLine(socket, verbose, MAX_LINE_LENGTH, -1, line) == LineEnd::TOO_LONG)
        printLineLimitError("receiveLine", line.size());
    return line;
}

Connection::LineEnd Connection::receiveLine(int socket, bool verbose, size_t maxLength, int64_t deadline,
                                            std::string& line)
{
    line.clear();
    return receive_(socket, verbose, deadline, maxLength, maxLength, false, line);
}

Connection::LineEnd Connection::receiveMessage(int socket, bool verbose, int64_t deadline, std::string& message)
{
    return receive_(socket, verbose, deadline, MAX_LINE_LENGTH, MAX_MESSAGE_LENGTH, true, message);
}

// Looks at what the socket holds, then takes only the bytes used, so that
// whatever follows the line (or the message) stays in the socket for the
// next reader: the same bytes as reading one at a time, in a few calls.
Connection::LineEnd Connection::receive_(int socket, bool verbose, int64_t deadline, size_t maxLineLength,
                                         size_t maxLength, bool wholeMessage, std::string& text)
{
    char buffer[PEEK_SIZE];
    size_t lineLength = 0;
    for (;;)
    {
        if (text.size() >= maxLength)
            return LineEnd::TOO_LONG;
        Readiness const readiness = waitReadable(socket, deadline);
        if (readiness != Readiness::READY)
            return readiness == Readiness::TIMED_OUT ? LineEnd::TIMED_OUT : LineEnd::FAILED;
        ssize_t const seen = receiveRetrying(socket, buffer, std::min(PEEK_SIZE, maxLength - text.size()), MSG_PEEK);
        if (seen <= 0)
            return seen == 0 ? LineEnd::CLOSED : LineEnd::FAILED;
        size_t used = 0;
        LineEnd end = LineEnd::CLOSED;
        bool ended = false;
        while (used < static_cast<size_t>(seen) && !ended)
        {
            char const byte = buffer[used++];
            if (byte == '\0')
            {
                // Ends the line unstored; first in a line, it ends the message.
                ended = !wholeMessage || lineLength == 0;
                end = LineEnd::ZERO_BYTE;
                lineLength = 0;
                continue;
            }
            text += byte;
            ++lineLength;
            if (byte == '\n')
            {
                if (verbose)
                    std::cout << "readLine: " << text.substr(text.size() - lineLength) << std::flush;
                ended = !wholeMessage;
                end = LineEnd::LINE_FEED;
                lineLength = 0;
            }
            else if (lineLength >= maxLineLength)
            {
                ended = true;
                end = LineEnd::TOO_LONG;
            }
        }
        if (receiveRetrying(socket, buffer, used, 0) != static_cast<ssize_t>(used))
            return LineEnd::FAILED;
        if (ended)
            return end;
    }
}
