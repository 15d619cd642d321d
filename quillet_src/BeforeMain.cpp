#include "BeforeMain.h"

#ifdef _WIN32
#include "Utils.h"

#include <windows.h>
// After windows.h, which it needs.
#include <shellapi.h>
#endif

namespace BeforeMain
{
std::vector<std::string> getArgumentsFromArgv(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 0; i < argc; ++i)
        arguments.push_back(argv[i] ? argv[i] : "");
    return arguments;
}

#ifdef _WIN32
std::vector<std::string> getArgumentsFromCommandLine()
{
    std::vector<std::string> arguments;
    int count = 0;
    wchar_t** const words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (words == NULL)
        return arguments;
    for (int i = 0; i < count; ++i)
        arguments.push_back(Utils::wstringToString(words[i]));
    LocalFree(words);
    return arguments;
}
#endif
}
