#include "Application.h"
#include "BeforeMain.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> const arguments = BeforeMain::getArgumentsFromArgv(argc, argv);
    Application application;
    return application.run(arguments.empty() ? std::string() : arguments[0]);
}
