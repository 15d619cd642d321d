#include "BeforeMain.h"

namespace BeforeMain
{
std::vector<std::string> getArgumentsFromArgv(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i] ? argv[i] : "");
    return arguments;
}
}
