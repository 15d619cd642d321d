// Raw exchanges with the project's server on loopback: 8 clients making 200
// exchanges each (the load the server is sized for), and one client alone for
// the latency of a single exchange. A wrong or lost answer fails the run.

#include "Connection.h"
#include "Server.h"

#include <benchmark/benchmark.h>
#include <mutex>

namespace
{
int const CLIENTS = 8;
int const EXCHANGES_PER_CLIENT = 200;

std::string* echo(char const* request)
{
    return new std::string("you said: " + std::string(request));
}

// One server for the whole run, made on first use.
Server& sharedServer()
{
    static Server server(echo, 0, 1000, CLIENTS, false);
    return server;
}

bool exchangeOnce(int port, std::string const& text, std::string const& expected)
{
    std::string error;
    Connection connection("127.0.0.1", true, port, error, false);
    if (!connection.tryConnectToServer(error))
        return false;
    std::string* const answer = connection.getSimplePage(text.c_str());
    bool const whole = answer->size() > expected.size() &&
                       answer->compare(answer->size() - expected.size(), expected.size(), expected) == 0;
    delete answer;
    return whole;
}

void BM_ServerExchange(benchmark::State& state)
{
    static std::once_flag started;
    std::call_once(started, [] { sharedServer(); });
    int const port = sharedServer().getPort();
    std::string const text = "client " + std::to_string(state.thread_index()) + "\nasks for the scores";
    std::string const expected = "\r\n\r\nyou said: " + text + "\n";
    int64_t lost = 0;
    for (auto _ : state)
        if (!exchangeOnce(port, text, expected))
            ++lost;
    if (lost != 0)
        state.SkipWithError("an answer was lost or broken");
    state.SetItemsProcessed(state.iterations());
}
}

BENCHMARK(BM_ServerExchange)->Threads(1)->Iterations(EXCHANGES_PER_CLIENT)->UseRealTime()->Repetitions(5);
BENCHMARK(BM_ServerExchange)->Threads(CLIENTS)->Iterations(EXCHANGES_PER_CLIENT)->UseRealTime()->Repetitions(5);

BENCHMARK_MAIN();
