// pellora-cli: validate, build, write, show and unpack projects and packages from the command line.

#include "cli/CliCommands.h"

#include <string>
#include <vector>

int main(int argc, char** argv)
{
    std::vector<std::string> arguments;
    for (int i = 1; i < argc; ++i)
        arguments.emplace_back(argv[i]);
    return pellora::cli::Main(arguments);
}
