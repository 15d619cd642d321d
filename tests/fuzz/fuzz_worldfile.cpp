// Feeds arbitrary bytes to the world file reader. A bad file must end in the
// program's fatal report (exit status 1), never in a crash, a sanitizer report
// or a runaway allocation; a file that loads must save, load and save again to
// the same bytes. The world needs a window (its registries draw), so one is
// opened once and every input is loaded in a forked child; the child's
// sanitizer reports end it with a status of their own so they are told apart
// from the fatal report.

#include "DeviceManager.h"
#include "IndexedWorld.h"

#include <climits>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <sys/wait.h>
#include <unistd.h>

extern "C" void __sanitizer_set_death_callback(void (*callback)(void)) __attribute__((weak));

namespace
{
int const SANITIZER_STATUS = 86;
int const ROUND_TRIP_STATUS = 87;

std::string folder;
IndexedWorld* world = NULL;
// The children inherit the exit handlers: only this process cleans up.
pid_t fuzzerProcess = 0;

std::string readAll(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

void writeAll(std::string const& path, uint8_t const* data, size_t size)
{
    FILE* const file = fopen(path.c_str(), "wb");
    if (file == NULL)
        abort();
    if (size > 0 && fwrite(data, 1, size, file) != size)
        abort();
    fclose(file);
}

// The game's generated data (the textures a world needs) lies beside the
// test programs unless QUILLET_GAME_DATA names it.
std::string findGameData()
{
    char const* const given = getenv("QUILLET_GAME_DATA");
    if (given != NULL)
        return given;
    char exe[PATH_MAX] = {};
    ssize_t const length = readlink("/proc/self/exe", exe, sizeof(exe) - 1);
    std::string path(exe, length > 0 ? static_cast<size_t>(length) : 0);
    return path.substr(0, path.rfind('/')) + "/../game";
}

void removeFolder()
{
    if (getpid() != fuzzerProcess)
        return;
    for (char const* name : {"empty.dat", "input.dat", "first.dat", "second.dat", "errors"})
        unlink((folder + "/" + name).c_str());
    rmdir(folder.c_str());
}

void setUpOnce()
{
    if (world != NULL)
        return;
    if (chdir(findGameData().c_str()) != 0)
    {
        fprintf(stderr, "fuzz_worldfile: no game data folder (set QUILLET_GAME_DATA)\n");
        abort();
    }
    char pattern[] = "/tmp/fuzz_worldfile_XXXXXX";
    if (mkdtemp(pattern) == NULL)
        abort();
    folder = pattern;
    fuzzerProcess = getpid();
    atexit(removeFolder);
    std::string const empty = std::string("WORLD\1\0\0\0\0\0\0\0", 13) + std::string("\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff\xff", 12) +
                              std::string("\2\0\0\0\2\0\0\0\2\0\0\0", 12) + std::string(8 * 16, '\0');
    writeAll(folder + "/empty.dat", reinterpret_cast<uint8_t const*>(empty.data()), empty.size());
    DeviceManager::newInstance("fuzz_worldfile", "fuzz world file", 800, 600, false);
    world = new IndexedWorld(NULL, folder + "/empty.dat", NULL);
}

void onSanitizerDeath()
{
    _exit(SANITIZER_STATUS);
}

// The exit handlers would tear down the window this process shares with its parent.
void leaveWithoutExitHandlers(int status, void*)
{
    fflush(stdout);
    fflush(stderr);
    _exit(status);
}

[[noreturn]] void loadInChild(std::string const& input)
{
    on_exit(leaveWithoutExitHandlers, NULL);
    if (__sanitizer_set_death_callback != NULL)
        __sanitizer_set_death_callback(onSanitizerDeath);
    if (freopen("/dev/null", "w", stdout) == NULL || freopen((folder + "/errors").c_str(), "w", stderr) == NULL)
        _exit(125);
    world->clearAndLoadWorldFromFile(input);
    world->saveWorldToFile(folder + "/first.dat");
    world->clearAndLoadWorldFromFile(folder + "/first.dat");
    world->saveWorldToFile(folder + "/second.dat");
    if (readAll(folder + "/first.dat") != readAll(folder + "/second.dat"))
    {
        fprintf(stderr, "a loaded world did not save back to the same bytes\n");
        _exit(ROUND_TRIP_STATUS);
    }
    _exit(0);
}
}

extern "C" int LLVMFuzzerTestOneInput(uint8_t const* data, size_t size)
{
    setUpOnce();
    std::string const input = folder + "/input.dat";
    writeAll(input, data, size);
    fflush(stdout);
    fflush(stderr);
    pid_t const child = fork();
    if (child == 0)
        loadInChild(input);
    int status = 0;
    waitpid(child, &status, 0);
    // 0: loaded and round-tripped; 1: the fatal report of a bad file.
    if (WIFEXITED(status) && (WEXITSTATUS(status) == 0 || WEXITSTATUS(status) == 1))
        return 0;
    fprintf(stderr, "fuzz_worldfile: the load ended with status %d:\n%s\n", status,
            readAll(folder + "/errors").c_str());
    abort();
}
