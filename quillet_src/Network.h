#ifndef NETWORK_H
#define NETWORK_H

// The stateless front of the networking classes: it makes connections and
// servers, fetches one page from an "http://" address and tells this machine's
// address. No game code uses it; everything here blocks the calling thread.

#include "Connection.h"
#include "Server.h"

#include <string>

class Network
{
public:
    // A new connection, not yet connected; null (after reporting why) when
    // the host cannot be resolved, or the end of the program with exitOnError.
    Connection* createConnection(char const* host, bool isIp, int port, bool exitOnError, bool verbose) const;
    // The body of the page at an "http://host[:port][/path]" address, owned by
    // the caller; null when the server cannot be reached and not exitOnError.
    std::string* getPageFromWebServer(std::string const& address, Connection::PostArgumentList const* postArguments,
                                      bool exitOnError, bool verbose) const;
    // A dotted IPv4 address of this machine: the last one its name resolves to.
    std::string getLocalIp() const;
    // A new server listening on port (0: a free one), owned by the caller.
    Server* createServer(Server::Callback const& callback, int port, int sleepTime, int maxClients, bool verbose,
                         int readTimeoutMs = Server::DEFAULT_READ_TIMEOUT_MS) const;

    // Splits an "http://" address: the host up to the first "/", the port when
    // the host ends in ":digits" (else 80), the path from that "/" on (else "/").
    // False when the address does not begin with "http://".
    static bool splitWebAddress(std::string const& address, std::string& host, int& port, std::string& path);

    static constexpr int HTTP_PORT = 80;
};

#endif
