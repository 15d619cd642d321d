#ifndef BEFOREMAIN_H
#define BEFOREMAIN_H

// Turns the process command line into a list of strings, program path first.

#include <string>
#include <vector>

namespace BeforeMain
{
std::vector<std::string> getArgumentsFromArgv(int argc, char** argv);
#ifdef _WIN32
// The process's wide command line, split as the system splits it, each word
// narrowed to its low bytes (Utils::wstringToString).
std::vector<std::string> getArgumentsFromCommandLine();
#endif
}

#endif
