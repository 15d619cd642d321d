#include "Server.h"

#include "Connection.h"
#include "Errors.h"
#include "Thread.h"

#include <cerrno>
#include <cstring>
#include <iostream>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <sys/time.h>
#include <unistd.h>

struct Server::ListenRecord
{
    sockaddr_in address;
    int listenSocket = -1;
    socklen_t addressLength = sizeof(sockaddr_in);
};

namespace
{
int const FREE_SLOT = -1;
// How often the destructor looks whether the threads are done.
int const WAIT_STEP_US = 1000;

// The thread argument of one response.
struct Response
{
    Server* server;
    int slot;
};

std::string bindErrorName(int code)
{
    switch (code)
    {
    case EINVAL:
        return "EINVAL";
    case EBADF:
        return "EBADF";
    case EADDRINUSE:
        return "EADDRINUSE";
    case EADDRNOTAVAIL:
        return "EADDRNOTAVAIL";
    default:
        return "";
    }
}

// A client that never reads its answer must not hold its slot either.
void limitSendTime(int client, int milliseconds)
{
    timeval limit;
    limit.tv_sec = milliseconds / 1000;
    limit.tv_usec = (milliseconds % 1000) * 1000;
    setsockopt(client, SOL_SOCKET, SO_SNDTIMEO, &limit, sizeof limit);
}
}

Server::Server(Callback const& callback_, int port, int sleepTime_, int maxClients_, bool verbose_,
               int readTimeoutMs_)
    : verbose(verbose_), sleepTime(sleepTime_), maxClients(maxClients_), callback(callback_),
      readTimeoutMs(readTimeoutMs_)
{
    ASSERT(maxClients > 0, "Server: at least one client slot is needed");
    ASSERT(callback, "Server: a callback is needed to answer clients");
    if (verbose)
        std::cout << "Creating server ..." << std::flush;
    listenRecord = new ListenRecord();
    ListenRecord* const arg = listenRecord;
    memset(&arg->address, 0, sizeof arg->address);
    arg->address.sin_family = AF_INET;
    arg->address.sin_port = htons(static_cast<uint16_t>(port));
    arg->address.sin_addr.s_addr = htonl(INADDR_ANY);
    arg->listenSocket = socket(AF_INET, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    ASSERT(arg->listenSocket >= 0, "cannot create listen socket");
    // A server restarted on its port must not wait for the old connections' TIME_WAIT.
    int const reuse = 1;
    setsockopt(arg->listenSocket, SOL_SOCKET, SO_REUSEADDR, &reuse, sizeof reuse);
    if (bind(arg->listenSocket, reinterpret_cast<sockaddr const*>(&arg->address), arg->addressLength) != 0)
        FATAL_ERROR(("pb on bind for Server : " + bindErrorName(errno)).c_str());
    if (listen(arg->listenSocket, maxClients) != 0)
        FATAL_ERROR("pb on listen for Server");
    slots.reset(new std::atomic<int>[maxClients]);
    for (int slot = 0; slot < maxClients; ++slot)
        slots[slot] = FREE_SLOT;
    Thread::createThread(acceptClients_, this);
    if (verbose)
        std::cout << "done." << std::endl;
}

Server::~Server()
{
    if (verbose)
        std::cout << "Closing server ..." << std::flush;
    stopRequested = true;
    while (!workerFinished || runningResponses > 0)
        Thread::uSleep(WAIT_STEP_US);
    close(listenRecord->listenSocket);
    delete listenRecord;
    if (verbose)
        std::cout << "done." << std::endl;
}

int Server::getPort() const
{
    sockaddr_in bound;
    socklen_t length = sizeof bound;
    if (getsockname(listenRecord->listenSocket, reinterpret_cast<sockaddr*>(&bound), &length) != 0)
        return -1;
    return ntohs(bound.sin_port);
}

void* Server::acceptClients_(void* server)
{
    static_cast<Server*>(server)->acceptLoop_();
    return NULL;
}

void Server::acceptLoop_()
{
    while (!stopRequested)
    {
        int const slot = firstFreeSlot_();
        if (slot == FREE_SLOT)
        {
            // Every slot is busy: wait for a response to end rather than spin.
            Thread::uSleep(sleepTime);
            continue;
        }
        int const client = acceptClient_();
        if (client < 0)
            continue;
        if (verbose)
            std::cout << "Accepting client ..." << "creating a new thread (" << slot << ")." << std::endl;
        slots[slot] = client;
        ++runningResponses;
        Thread::createThread(respond_, new Response{this, slot});
    }
    workerFinished = true;
}

int Server::firstFreeSlot_() const
{
    for (int slot = 0; slot < maxClients; ++slot)
        if (slots[slot] == FREE_SLOT)
            return slot;
    return FREE_SLOT;
}

// Waits at most the sleep time for a client, so the stop flag is seen that often.
int Server::acceptClient_() const
{
    int const listenSocket = listenRecord->listenSocket;
    pollfd watched = {listenSocket, POLLIN, 0};
    timespec const wait = {sleepTime / 1000000, (sleepTime % 1000000) * 1000L};
    if (ppoll(&watched, 1, &wait, NULL) <= 0)
        return -1;
    // The client's socket blocks: its reads are bounded by the read time-out instead.
    int const client = accept4(listenSocket, NULL, NULL, SOCK_CLOEXEC);
    if (client < 0 && errno != EAGAIN && errno != EWOULDBLOCK && errno != EINTR && errno != ECONNABORTED)
    {
        Errors::printError(std::string("Server: accepting a client failed: ") + strerror(errno));
        Thread::uSleep(sleepTime);
    }
    return client;
}

void* Server::respond_(void* response)
{
    Response const taken = *static_cast<Response*>(response);
    delete static_cast<Response*>(response);
    taken.server->respondTo_(taken.slot);
    return NULL;
}

void Server::respondTo_(int slot)
{
    int const client = slots[slot];
    if (verbose)
        std::cout << "Reading client message ... " << std::flush;
    std::string request;
    Connection::LineEnd const end =
        Connection::receiveMessage(client, verbose, Connection::deadlineAfter(readTimeoutMs), request);
    if (end == Connection::LineEnd::TIMED_OUT)
        Errors::printError("Server: no complete request within " + std::to_string(readTimeoutMs) +
                           " ms; client dropped");
    else if (end == Connection::LineEnd::TOO_LONG)
        Errors::printError("Server: request longer than " + std::to_string(Connection::MAX_MESSAGE_LENGTH) +
                           " bytes or a line longer than " + std::to_string(Connection::MAX_LINE_LENGTH) +
                           " bytes; client dropped");
    else
        answer_(client, request);
    close(client);
    slots[slot] = FREE_SLOT;
    // The last touch of the server: once no response runs, it may be gone.
    --runningResponses;
}

void Server::answer_(int client, std::string const& request) const
{
    std::string* const answer = callback(request.c_str());
    ASSERT(answer != NULL, "Server: the callback returned no answer");
    std::string block = "HTTP/1.1 200 OK\r\nContent-Length: " + std::to_string(answer->size()) + "\r\n" +
                        "Connection: close\r\n" + "Content-Type: text/html\r\n" + "\r\n";
    if (verbose)
        std::cout << "   Responding to client ... " << std::flush;
    // One send for header, answer and its closing 0 byte: the client reads
    // all of it at once instead of waiting on delayed acknowledgements.
    block += *answer;
    block += '\0';
    delete answer;
    limitSendTime(client, readTimeoutMs);
    if (!Connection::sendAll(client, block))
        Errors::printError(std::string("Server: sending the answer failed: ") + strerror(errno));
    if (verbose)
        std::cout << "done." << std::endl;
}
