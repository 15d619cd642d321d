#ifndef NETWORKTESTPEER_H
#define NETWORKTESTPEER_H

// The other end of the networking tests, written on bare sockets so that it
// shares no code with what it checks: a one-client HTTP server on loopback
// that records the request and sends a canned answer, and a raw client.
// Every wait is bounded, so a fault fails the test instead of hanging it.

#include <arpa/inet.h>
#include <atomic>
#include <chrono>
#include <netinet/in.h>
#include <poll.h>
#include <string>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace NetworkTestPeer
{
int const PATIENCE_MS = 5000;

inline sockaddr_in loopback(int port)
{
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<uint16_t>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    return address;
}

// True when something (data or the peer's close) can be read within timeoutMs.
inline bool readableWithin(int socket, int timeoutMs)
{
    pollfd watched = {socket, POLLIN, 0};
    return poll(&watched, 1, timeoutMs) > 0;
}

// Reads until the peer closes, at least `wanted` bytes have come, or timeoutMs passes.
inline std::string receiveUpTo(int socket, size_t wanted, int timeoutMs, bool* closed = nullptr)
{
    std::string received;
    auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    if (closed != nullptr)
        *closed = false;
    while (received.size() < wanted)
    {
        auto const left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - std::chrono::steady_clock::now());
        if (left.count() <= 0 || !readableWithin(socket, static_cast<int>(left.count())))
            break;
        char buffer[4096];
        ssize_t const count = recv(socket, buffer, sizeof buffer, 0);
        if (count <= 0)
        {
            if (closed != nullptr)
                *closed = true;
            break;
        }
        received.append(buffer, static_cast<size_t>(count));
    }
    return received;
}

inline void sendText(int socket, std::string const& text)
{
    size_t sent = 0;
    while (sent < text.size())
    {
        ssize_t const count = send(socket, text.data() + sent, text.size() - sent, MSG_NOSIGNAL);
        if (count <= 0)
            return;
        sent += static_cast<size_t>(count);
    }
}

// A client socket connected to 127.0.0.1:port, or -1.
inline int connectToLoopback(int port)
{
    int const client = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in const address = loopback(port);
    if (connect(client, reinterpret_cast<sockaddr const*>(&address), sizeof address) != 0)
    {
        close(client);
        return -1;
    }
    return client;
}

// A loopback port with nobody listening on it.
inline int closedLoopbackPort()
{
    int const probe = socket(AF_INET, SOCK_STREAM, 0);
    sockaddr_in address = loopback(0);
    bind(probe, reinterpret_cast<sockaddr const*>(&address), sizeof address);
    socklen_t length = sizeof address;
    getsockname(probe, reinterpret_cast<sockaddr*>(&address), &length);
    close(probe);
    return ntohs(address.sin_port);
}

// Serves one client on 127.0.0.1: reads its request (until requestLength
// bytes have come), waits until released, sends the answer and closes.
class OneShotHttpServer
{
public:
    OneShotHttpServer(std::string answer, size_t requestLength, bool startReleased = true)
        : answer(std::move(answer)), requestLength(requestLength), released(startReleased)
    {
        listener = socket(AF_INET, SOCK_STREAM, 0);
        sockaddr_in address = loopback(0);
        bind(listener, reinterpret_cast<sockaddr const*>(&address), sizeof address);
        listen(listener, 4);
        socklen_t length = sizeof address;
        getsockname(listener, reinterpret_cast<sockaddr*>(&address), &length);
        port = ntohs(address.sin_port);
        worker = std::thread([this] { serve(); });
    }

    ~OneShotHttpServer()
    {
        released = true;
        if (worker.joinable())
            worker.join();
        close(listener);
    }

    int getPort() const { return port; }
    void release() { released = true; }
    // The request as received; complete once the answer has been read by the client.
    std::string takeRequest()
    {
        released = true;
        if (worker.joinable())
            worker.join();
        return request;
    }

private:
    void serve()
    {
        if (!readableWithin(listener, PATIENCE_MS))
            return;
        int const client = accept(listener, nullptr, nullptr);
        request = receiveUpTo(client, requestLength, PATIENCE_MS);
        auto const deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(PATIENCE_MS);
        while (!released && std::chrono::steady_clock::now() < deadline)
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
        sendText(client, answer);
        close(client);
    }

    std::string const answer;
    size_t const requestLength;
    std::atomic<bool> released;
    int listener = -1;
    int port = 0;
    std::string request;
    std::thread worker;
};
}

#endif
