#include "odds_command.h"

#include <iostream>
#include <unistd.h>

int main(int argc, char** argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    return odds::RunOddsCommand(args, std::cout, std::cerr, isatty(STDERR_FILENO) == 1);
}
