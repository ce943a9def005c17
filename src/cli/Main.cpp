// SPDX-License-Identifier: GPL-3.0-or-later
#include <iostream>
#include <string>
#include <vector>

#include "cli/Command.h"
#include "cli/Console.h"

int main(int argc, char** argv) {
    const std::vector<std::string> args = vantrel::cli::StartConsole(argc, argv);
    return vantrel::cli::RunCli(args, std::cout, std::cerr);
}
