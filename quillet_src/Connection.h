#ifndef CONNECTION_H
#define CONNECTION_H

// One blocking IPv4 stream connection to one server, and the line protocol
// every networking class speaks: lines end with a single line feed, and a byte
// of value 0 ends a line and, at the start of a line, the whole message. On it
// sit a minimal HTTP/1.0 request (GET, or POST of a form) and the raw text
// exchange understood by Server. The object owns its socket and the resolved
// address; it belongs to one thread at a time.

#include <cstddef>
#include <cstdint>
#include <map>
#include <string>

struct in_addr;

class Connection
{
public:
    // Byte-wise (strcmp) order of post-argument names: the body lists them in it.
    struct ltstrPostArgumentListType
    {
        bool operator()(std::string const& left, std::string const& right) const;
    };

    // Form fields of a POST request, name to value, sent without any encoding.
    typedef std::map<std::string, std::string, ltstrPostArgumentListType> PostArgumentList;

    // Why reading one line stopped.
    enum class LineEnd
    {
        LINE_FEED,   // the line feed is stored at the end of the line
        ZERO_BYTE,   // not stored
        CLOSED,      // the peer closed its side
        FAILED,      // a read error
        TOO_LONG,    // the line reached its length limit with no end in sight
        TIMED_OUT    // the deadline passed first
    };

    // A peer that never ends a line, or never ends its message, must not make
    // a reader grow without bound: reading stops at these sizes.
    static constexpr size_t MAX_LINE_LENGTH = 4u * 1024u * 1024u;
    static constexpr size_t MAX_MESSAGE_LENGTH = 16u * 1024u * 1024u;
    // Marks a closed socket.
    static constexpr int NO_SOCKET = -100;

    // Creates the socket and resolves host (a name, or a dotted address when
    // isIp). On failure error holds the reason and connecting is not allowed.
    Connection(char const* host, bool isIp, int port, std::string& error, bool verbose);
    ~Connection();
    Connection(Connection const&) = delete;
    Connection& operator=(Connection const&) = delete;

    // Connects, or ends the program when the server cannot be reached.
    void connectToServer();
    // Connects; false, with the reason in error, when the server cannot be reached.
    bool tryConnectToServer(std::string& error);
    void unconnect();

    // One HTTP/1.0 request (a POST when postArguments is given, even empty)
    // and the body of the answer; the caller owns the result.
    std::string* getHTTPPage(char const* path, PostArgumentList const* postArguments, bool keepAlive);
    // Sends text line by line and a 0 byte, returns all the server answers;
    // the caller owns the result.
    std::string* getSimplePage(char const* text);

    bool isResolved() const { return address != NULL; }
    std::string const& getHost() const { return host; }

    // Sends line and one line feed, all of it.
    static bool sendLine(int socket, std::string const& line, bool verbose);
    // Sends every byte of data; false when the peer is gone.
    static bool sendAll(int socket, std::string const& data);
    // Reads one line: it keeps its line feed; a 0 byte, the end of the stream
    // or an error end it unstored, so an empty result means the message ended.
    static std::string receiveLine(int socket, bool verbose);
    // The same, telling why the line ended. The line holds at most maxLength
    // bytes; deadline is a steady-clock time in microseconds, or -1 for none.
    static LineEnd receiveLine(int socket, bool verbose, size_t maxLength, int64_t deadline, std::string& line);
    // Appends lines to message until an empty one, as the raw exchange and
    // the server read a message. Returns why the last line ended.
    static LineEnd receiveMessage(int socket, bool verbose, int64_t deadline, std::string& message);
    // The steady-clock deadline, for the reads above, that many milliseconds from now.
    static int64_t deadlineAfter(int milliseconds);

private:
    bool resolveName_(std::string& error);
    bool parseDottedAddress_(std::string& error);
    static std::string buildRequest_(std::string const& path, std::string const& host,
                                     PostArgumentList const* postArguments, bool keepAlive, bool verbose);
    static void appendLine_(std::string& request, std::string const& line, bool verbose);
    std::string* receiveHTTPBody_() const;
    // Reads one line, or lines up to the end of the message when wholeMessage.
    static LineEnd receive_(int socket, bool verbose, int64_t deadline, size_t maxLineLength, size_t maxLength,
                            bool wholeMessage, std::string& text);

    // NO_SOCKET once closed, so closing twice is harmless.
    int socket = NO_SOCKET;
    std::string host;
    // Null until the host is resolved: connecting needs it.
    in_addr* address = NULL;
    int port = 0;
    bool verbose = false;
};

#endif
