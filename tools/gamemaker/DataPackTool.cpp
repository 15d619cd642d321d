// data_pack: makes a data pack of a game folder, lists a pack, or extracts
// it, in the format the game reads (the engine's DataPack).

#include "Errors.h"
#include "PackFolder.h"

#include <cstdlib>
#include <filesystem>
#include <iostream>
#include <string>
#include <vector>

namespace
{
char const* const USAGE = "Usage: data_pack create <folder> <pack>   pack every file of the folder\n"
                          "       data_pack list <pack>              print each entry's name and size\n"
                          "       data_pack extract <pack> <folder>  write every entry under the folder\n";

[[noreturn]] void reportFatal(char const* condition, char const* message)
{
    std::cerr << "error: "
              << (message != NULL     ? message
                  : condition != NULL ? condition
                                      : "unknown failure")
              << std::endl;
    std::exit(1);
}

bool requireFile(std::string const& path)
{
    if (std::filesystem::is_regular_file(path))
        return true;
    std::cerr << "error: '" << path << "' is not a file" << std::endl;
    return false;
}
} // namespace

int main(int argc, char** argv)
{
    std::vector<std::string> const args(argv + 1, argv + argc);
    if (args.size() == 1 && (args[0] == "--help" || args[0] == "-h"))
    {
        std::cout << USAGE;
        return 0;
    }
    Errors::setFatalHandler(reportFatal);
    if (args.size() == 3 && args[0] == "create")
    {
        if (!std::filesystem::is_directory(args[1]))
        {
            std::cerr << "error: '" << args[1] << "' is not a folder" << std::endl;
            return 1;
        }
        PackFolder::createPack(args[1], args[2]);
        return 0;
    }
    if (args.size() == 2 && args[0] == "list")
    {
        if (!requireFile(args[1]))
            return 1;
        PackFolder::printPack(args[1], std::cout);
        return 0;
    }
    if (args.size() == 3 && args[0] == "extract")
    {
        if (!requireFile(args[1]))
            return 1;
        std::vector<std::string> const problems = PackFolder::extractPack(args[1], args[2]);
        for (std::string const& problem : problems)
            std::cerr << "error: " << problem << std::endl;
        return problems.empty() ? 0 : 1;
    }
    std::cerr << USAGE;
    return 2;
}
