#ifndef BEFOREMAIN_H
#define BEFOREMAIN_H

// Turns the process command line into a list of strings, program path first.

#include <string>
#include <vector>

namespace BeforeMain
{
std::vector<std::string> getArgumentsFromArgv(int argc, char** argv);
}

#endif
