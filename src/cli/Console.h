// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The console the command-line tool runs in, as each platform has it.

#include <cstddef>
#include <filesystem>
#include <string>
#include <vector>

namespace vantrel::cli {

// Prepares the console for the tool's output (UTF-8 text and the progress line's control
// sequences, on Windows) and returns the arguments after the program's name, as UTF-8.
std::vector<std::string> StartConsole(int argc, char** argv);

// Columns of the terminal on `fd` (1: the output, 2: the errors), or 80 when it is not one.
std::size_t TerminalWidth(int fd);

// The path of the running program's file, or "vantrel" when the system does not tell.
std::filesystem::path ProgramFile();

}  // namespace vantrel::cli
