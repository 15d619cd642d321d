#ifndef NETWORKTHREAD_H
#define NETWORKTHREAD_H

// Fetches one page at a time from a fixed HTTP server on a background thread,
// so that a frame loop can ask for a page, keep drawing and poll for the
// answer. Every request is a POST of the given form (empty: length 0). Only
// one instance may exist at a time: its state is module-wide and shared with
// the background thread through atomic flags.

#include "Connection.h"

#include <string>

class Network;

class NetworkThread
{
public:
    // Starts the background thread. sleepTimeMs is its pause between two
    // looks for a request, handed to Thread::uSleep and so in microseconds.
    NetworkThread(Network* network, std::string const& hostName, int port, int sleepTimeMs, bool verbose);
    // Waits for a pending request, drops an answer not taken, and waits for
    // the background thread to end, so that a new instance may follow.
    ~NetworkThread();
    NetworkThread(NetworkThread const&) = delete;
    NetworkThread& operator=(NetworkThread const&) = delete;

    // Asks for path; postArguments (copied; null: none) is the form sent.
    void launchWebPageRequest(std::string const& path, Connection::PostArgumentList const* postArguments);
    // True from a request until its answer has been taken.
    bool isThereWebPageInProcess() const;
    bool hasWebPageArrived() const;
    // The answer, handed to the caller; null when the server could not be reached.
    std::string* getLastWebPage();

private:
    static void* serveRequests_(void* unused);
    static std::string* fetchPage_();
};

#endif
