#include "TestSupport.h"

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/wait.h>
#include <unistd.h>
#include <GL/gl.h>
#include <X11/Xlib.h>

namespace TestSupport
{
namespace
{
// Every test window is opened at this size.
int const WINDOW_WIDTH = 800;
int const WINDOW_HEIGHT = 600;
}

std::string makeTemporaryFolder()
{
    std::string pattern = "/tmp/quillet_test_XXXXXX";
    if (mkdtemp(&pattern[0]) == NULL)
        throw std::runtime_error("cannot make a temporary folder");
    return pattern;
}

void writeFile(std::string const& path, std::string const& bytes)
{
    std::ofstream out(path, std::ios::binary);
    out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

std::string readFile(std::string const& path)
{
    std::ifstream in(path, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
}

ChildResult runInChild(std::function<void()> const& body)
{
    // Output goes through files so a chatty child never blocks on a full pipe.
    std::string const folder = makeTemporaryFolder();
    std::string const outPath = folder + "/out";
    std::string const errPath = folder + "/err";
    fflush(stdout);
    fflush(stderr);
    pid_t const pid = fork();
    if (pid == 0)
    {
        if (freopen(outPath.c_str(), "w", stdout) == NULL || freopen(errPath.c_str(), "w", stderr) == NULL)
            _exit(125);
        body();
        exit(0);
    }
    ChildResult result;
    int status = 0;
    waitpid(pid, &status, 0);
    if (WIFEXITED(status))
        result.exitStatus = WEXITSTATUS(status);
    result.output = readFile(outPath);
    result.errors = readFile(errPath);
    unlink(outPath.c_str());
    unlink(errPath.c_str());
    rmdir(folder.c_str());
    return result;
}

ChildResult runInChildSharingWindow(std::function<void()> const& body)
{
    return runInChild([&] {
        on_exit(
            [](int status, void*) {
                fflush(stdout);
                fflush(stderr);
                _exit(status);
            },
            NULL);
        body();
    });
}

InputLock::InputLock() : fd(open("/tmp/quillet_input.lock", O_CREAT | O_RDWR, 0666))
{
    if (fd >= 0)
        flock(fd, LOCK_EX);
}

InputLock::~InputLock()
{
    if (fd >= 0)
        close(fd);
}

bool hasDisplay()
{
    Display* display = XOpenDisplay(NULL);
    if (display == NULL)
        return false;
    XCloseDisplay(display);
    return true;
}

bool xdotool(std::string const& arguments)
{
    std::string const command = "xdotool " + arguments;
    return system(command.c_str()) == 0;
}

std::string findWindow(std::string const& title)
{
    std::string const command = "xdotool search --name '^" + title + "$' | head -n 1";
    FILE* pipe = popen(command.c_str(), "r");
    char line[64] = {0};
    if (pipe != NULL)
    {
        if (fgets(line, sizeof(line), pipe) == NULL)
            line[0] = 0;
        pclose(pipe);
    }
    unsigned long const id = strtoul(line, NULL, 10);
    return id == 0 ? std::string() : std::to_string(id);
}

bool takeInput(std::string const& windowId, Int2 const& pointer)
{
    if (windowId.empty())
        return false;
    // xdotool fails when a window it looks at while waiting (another test's,
    // the one focused before) is closed meanwhile: such a failure is tried again.
    for (int attempt = 0; attempt < 5; ++attempt)
    {
        if (xdotool("windowmove --sync " + windowId + " 1200 900") && xdotool("windowfocus --sync " + windowId) &&
            xdotool("mousemove --window " + windowId + " " + std::to_string(pointer.x()) + " " +
                    std::to_string(pointer.y())))
            return true;
        usleep(100000);
    }
    return false;
}

std::vector<unsigned char> readWindowPixels()
{
    // glFinish so that all the drawing the test queued is in the picture.
    glFinish();
    std::vector<unsigned char> pixels(static_cast<size_t>(WINDOW_WIDTH) * WINDOW_HEIGHT * 4);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, WINDOW_WIDTH, WINDOW_HEIGHT, GL_RGBA, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

Color4 readPixel(int x, int y)
{
    glFinish();
    Color4 rgba(0, 0, 0, 0);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, 1, 1, GL_RGBA, GL_UNSIGNED_BYTE, rgba.data());
    return rgba;
}

Color4 readPixelRgb(int x, int y)
{
    // The window has an alpha channel, but what is under test is the colour.
    Color4 const rgba = readPixel(x, y);
    return Color4(rgba.x(), rgba.y(), rgba.z(), 255);
}

Color4 readScenePixelRgb(int x, int y)
{
    // The 2-D scene counts rows from the top, OpenGL from the bottom.
    return readPixelRgb(x, WINDOW_HEIGHT - 1 - y);
}
}
