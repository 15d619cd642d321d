#include "Application.h"
#include "BeforeMain.h"

#include <string>
#include <vector>

namespace
{
int runApplication(std::vector<std::string> const& arguments)
{
    Application application;
    return application.run(arguments.empty() ? std::string() : arguments[0]);
}
}

#ifdef _WIN32
// The arguments come from the wide command line, which keeps every character
// the user typed whatever the console's code page.
int main()
{
    return runApplication(BeforeMain::getArgumentsFromCommandLine());
}
#else
int main(int argc, char** argv)
{
    return runApplication(BeforeMain::getArgumentsFromArgv(argc, argv));
}
#endif
