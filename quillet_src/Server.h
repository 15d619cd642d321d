#ifndef SERVER_H
#define SERVER_H

// A small TCP server: one thread accepts clients into a fixed number of slots,
// and each client is answered on a thread of its own with the text a callback
// computes from its request. A request is the raw exchange of
// Connection::getSimplePage: lines ended by a byte of value 0 (or by the
// client closing its side). The answer goes back behind an HTTP/1.1 200
// header, followed by one 0 byte. A client that sends no complete request
// within the read time-out, or one longer than the message limit, is dropped,
// so silent clients cannot hold the slots for ever. The server owns its
// listening socket, the slots and the sockets of the clients being answered.

#include <atomic>
#include <functional>
#include <memory>
#include <string>

class Server
{
public:
    // Computes the answer to one request, in a new string the server deletes
    // after sending it. Called on the clients' threads, so possibly at once.
    typedef std::function<std::string*(char const* request)> Callback;

    static constexpr int DEFAULT_READ_TIMEOUT_MS = 10000;

    // Listens on port (0: any free one; see getPort) and starts accepting.
    // sleepTime (microseconds) is the longest the accepting thread goes
    // without looking at the stop flag; maxClients is the number of clients
    // answered at once and the listen backlog.
    Server(Callback const& callback, int port, int sleepTime, int maxClients, bool verbose,
           int readTimeoutMs = DEFAULT_READ_TIMEOUT_MS);
    // Stops accepting and waits for the answers under way.
    ~Server();
    Server(Server const&) = delete;
    Server& operator=(Server const&) = delete;

    // The port listened on.
    int getPort() const;

private:
    struct ListenRecord;

    static void* acceptClients_(void* server);
    static void* respond_(void* response);
    void acceptLoop_();
    int firstFreeSlot_() const;
    int acceptClient_() const;
    void respondTo_(int slot);
    void answer_(int client, std::string const& request) const;

    // Owned; the accepting thread listens through it until the destructor.
    ListenRecord* listenRecord = NULL;
    std::atomic<bool> stopRequested{false};
    std::atomic<bool> workerFinished{false};
    bool verbose = false;
    int sleepTime = 0;
    int maxClients = 0;
    Callback callback;
    // Counted by the accepting thread before a response thread starts, so that
    // the destructor never misses one that has not begun yet.
    std::atomic<int> runningResponses{0};
    int readTimeoutMs = DEFAULT_READ_TIMEOUT_MS;
    // One per client slot: the socket of the client answered there, or -1 when
    // free. Owned by the server, not the accepting thread, since response
    // threads free their slot after that thread may have ended.
    std::unique_ptr<std::atomic<int>[]> slots;
};

#endif
