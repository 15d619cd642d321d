#include "Network.h"

#include "Errors.h"

#include <arpa/inet.h>
#include <cstring>
#include <netdb.h>
#include <netinet/in.h>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
char const* const HTTP_PREFIX = "http://";
size_t const HTTP_PREFIX_LENGTH = 7;

// The port named by "host:digits", or 0 when the host names none (or no valid one).
int portAfterColon(std::string const& host, size_t colon)
{
    std::string const digits = host.substr(colon + 1);
    if (digits.empty() || digits.size() > 5 || digits.find_first_not_of("0123456789") != std::string::npos)
        return 0;
    int const port = std::stoi(digits);
    return port <= 65535 ? port : 0;
}
}

Connection* Network::createConnection(char const* host, bool isIp, int port, bool exitOnError, bool verbose) const
{
    std::string error;
    Connection* const connection = new Connection(host, isIp, port, error, verbose);
    if (error.empty())
        return connection;
    if (exitOnError)
        FATAL_ERROR(error.c_str());
    Errors::printError(error);
    delete connection;
    return NULL;
}

bool Network::splitWebAddress(std::string const& address, std::string& host, int& port, std::string& path)
{
    if (address.size() <= 6 || address.compare(0, HTTP_PREFIX_LENGTH, HTTP_PREFIX) != 0)
        return false;
    size_t const slash = address.find('/', HTTP_PREFIX_LENGTH);
    host = address.substr(HTTP_PREFIX_LENGTH, slash == std::string::npos ? std::string::npos : slash - HTTP_PREFIX_LENGTH);
    path = slash == std::string::npos ? "/" : address.substr(slash);
    port = HTTP_PORT;
    size_t const colon = host.rfind(':');
    if (colon != std::string::npos && portAfterColon(host, colon) != 0)
    {
        port = portAfterColon(host, colon);
        host.erase(colon);
    }
    return true;
}

std::string* Network::getPageFromWebServer(std::string const& address,
                                           Connection::PostArgumentList const* postArguments, bool exitOnError,
                                           bool verbose) const
{
    std::string host;
    int port = HTTP_PORT;
    std::string path;
    if (!splitWebAddress(address, host, port, path))
        FATAL_ERROR("getPageFromWebServer: unknown protocol, url not beginning by http://");
    Connection* const connection = createConnection(host.c_str(), false, port, exitOnError, verbose);
    if (connection == NULL)
        return NULL;
    if (exitOnError)
        connection->connectToServer();
    std::string error;
    if (!exitOnError && !connection->tryConnectToServer(error))
    {
        Errors::printError(error);
        delete connection;
        return NULL;
    }
    std::string* const page = connection->getHTTPPage(path.c_str(), postArguments, false);
    delete connection;
    return page;
}

std::string Network::getLocalIp() const
{
    char name[256] = {0};
    if (gethostname(name, sizeof name - 1) != 0)
        FATAL_ERROR("Error  when getting local host name.");
    addrinfo hints;
    memset(&hints, 0, sizeof hints);
    hints.ai_family = AF_INET;
    hints.ai_socktype = SOCK_STREAM;
    addrinfo* found = NULL;
    if (getaddrinfo(name, NULL, &hints, &found) != 0 || found == NULL)
        FATAL_ERROR("Yow! Bad host lookup.");
    char dotted[INET_ADDRSTRLEN] = {0};
    for (addrinfo const* entry = found; entry != NULL; entry = entry->ai_next)
        inet_ntop(AF_INET, &reinterpret_cast<sockaddr_in const*>(entry->ai_addr)->sin_addr, dotted, sizeof dotted);
    freeaddrinfo(found);
    return dotted;
}

Server* Network::createServer(Server::Callback const& callback, int port, int sleepTime, int maxClients,
                              bool verbose, int readTimeoutMs) const
{
    return new Server(callback, port, sleepTime, maxClients, verbose, readTimeoutMs);
}
