// Whatever a peer sends: reading a whole message at once must give exactly
// the text that reading it line by line gives (lines keep their line feed, a
// 0 byte ends a line unstored and, first in a line, the message), and
// splitting the bytes as a web address must never fail unsafely.

#include "Connection.h"
#include "Network.h"

#include <cstdint>
#include <cstdlib>
#include <string>
#include <sys/socket.h>
#include <unistd.h>

namespace
{
// Small enough for a socket pair's buffer, so the writer never blocks.
size_t const MAX_INPUT = 32 * 1024;

// A socket that will read the bytes, then the peer's close.
int socketHolding(std::string const& bytes)
{
    int ends[2];
    if (socketpair(AF_UNIX, SOCK_STREAM, 0, ends) != 0)
        abort();
    if (!Connection::sendAll(ends[1], bytes))
        abort();
    close(ends[1]);
    return ends[0];
}
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    if (size > MAX_INPUT)
        return 0;
    std::string const bytes(reinterpret_cast<char const*>(data), size);

    int const whole = socketHolding(bytes);
    std::string message;
    Connection::receiveMessage(whole, false, -1, message);
    close(whole);

    int const lines = socketHolding(bytes);
    std::string byLines;
    for (std::string line = Connection::receiveLine(lines, false); !line.empty();
         line = Connection::receiveLine(lines, false))
        byLines += line;
    close(lines);
    if (message != byLines)
        abort();

    std::string host;
    int port = 0;
    std::string path;
    if (Network::splitWebAddress(bytes, host, port, path) && (port < 1 || port > 65535 || path.empty() || path[0] != '/'))
        abort();
    return 0;
}
