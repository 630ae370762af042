#include <string>
#include <vector>

#include <unistd.h>

#include "commands.h"

int main(int argc, char **argv)
{
    const std::vector<std::string> args(argv + 1, argv + argc);
    telbase::Console console;
    console.errIsTerminal = ::isatty(STDERR_FILENO) == 1;
    return telbase::run(args, console);
}
