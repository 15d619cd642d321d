#include "TestSupport.h"

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <stdexcept>
#include <unistd.h>
#include <X11/Xlib.h>

namespace TestSupport
{
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

bool hasDisplay()
{
    Display* display = XOpenDisplay(NULL);
    if (display == NULL)
        return false;
    XCloseDisplay(display);
    return true;
}
}
