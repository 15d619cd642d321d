#include "NetworkThread.h"

#include "Errors.h"
#include "Network.h"
#include "Thread.h"

#include <atomic>
#include <iostream>
#include <mutex>

namespace
{
// The shortest pause of a waiting loop, so that a sleep time of 0 does not spin.
int const MIN_WAIT_US = 100;

std::atomic<bool> uniqueInstance(false);
std::atomic<bool> isPageRequired(false);
std::atomic<bool> isWebPageArrived(false);
// Set while the background thread runs: destruction waits for its end, so a
// following instance never shares the state with an old thread.
std::atomic<bool> isThreadRunning(false);
// The background thread flips "required" and "arrived" together under it, so
// the caller never sees neither set, nor "required" still set after taking.
std::mutex flagsMutex;

Network* network = NULL;
std::string hostName;
int port = 0;
int sleepTimeMs = 0;
bool verbose = false;
// Written by the caller only while no request is pending, read by the
// background thread only while one is.
std::string page;
Connection::PostArgumentList postArguments;
// Published before isWebPageArrived; read by the caller only after it.
std::string* result = NULL;

void pause()
{
    Thread::uSleep(sleepTimeMs > MIN_WAIT_US ? sleepTimeMs : MIN_WAIT_US);
}
}

NetworkThread::NetworkThread(Network* network_, std::string const& hostName_, int port_, int sleepTimeMs_,
                             bool verbose_)
{
    ASSERT(!uniqueInstance, "NetworkThread: another instance of the class was created");
    ASSERT(network_ != NULL, "NetworkThread: a network is needed");
    network = network_;
    hostName = hostName_;
    port = port_;
    sleepTimeMs = sleepTimeMs_;
    verbose = verbose_;
    result = NULL;
    isPageRequired = false;
    isWebPageArrived = false;
    uniqueInstance = true;
    isThreadRunning = true;
    Thread::createThread(serveRequests_, NULL);
}

NetworkThread::~NetworkThread()
{
    if (verbose)
        std::cout << "Closing NetworkThread ..." << std::flush;
    while (isPageRequired)
        pause();
    // A request that reached no server leaves a null answer: nothing to free.
    if (isWebPageArrived)
        delete getLastWebPage();
    uniqueInstance = false;
    while (isThreadRunning)
        pause();
    if (verbose)
        std::cout << "done." << std::endl;
}

void NetworkThread::launchWebPageRequest(std::string const& path, Connection::PostArgumentList const* postArguments_)
{
    std::lock_guard<std::mutex> const lock(flagsMutex);
    ASSERT(!isPageRequired, "NetworkThread: another page has already been requested");
    page = path;
    if (postArguments_ != &postArguments)
        postArguments = postArguments_ != NULL ? *postArguments_ : Connection::PostArgumentList();
    isWebPageArrived = false;
    isPageRequired = true;
}

bool NetworkThread::isThereWebPageInProcess() const
{
    std::lock_guard<std::mutex> const lock(flagsMutex);
    return isPageRequired || isWebPageArrived;
}

bool NetworkThread::hasWebPageArrived() const
{
    return isWebPageArrived;
}

std::string* NetworkThread::getLastWebPage()
{
    std::lock_guard<std::mutex> const lock(flagsMutex);
    ASSERT(isWebPageArrived, "NetworkThread: page has not already arrived");
    std::string* const lastPage = result;
    isWebPageArrived = false;
    result = NULL;
    return lastPage;
}

void* NetworkThread::serveRequests_(void* /*unused*/)
{
    while (uniqueInstance)
    {
        Thread::uSleep(sleepTimeMs);
        if (!isPageRequired)
            continue;
        std::string* const answer = fetchPage_();
        {
            std::lock_guard<std::mutex> const lock(flagsMutex);
            result = answer;
            isWebPageArrived = true;
            isPageRequired = false;
        }
    }
    isThreadRunning = false;
    return NULL;
}

std::string* NetworkThread::fetchPage_()
{
    Connection* const connection = network->createConnection(hostName.c_str(), false, port, false, verbose);
    if (connection == NULL)
        return NULL;
    std::string error;
    std::string* answer = NULL;
    if (connection->tryConnectToServer(error))
        answer = connection->getHTTPPage(page.c_str(), &postArguments, false);
    else
        Errors::printError("NetworkThread: " + error);
    delete connection;
    return answer;
}
