// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/Console.h"

#include <sys/ioctl.h>

#include <system_error>

namespace vantrel::cli {

std::vector<std::string> StartConsole(int argc, char** argv) {
    return std::vector<std::string>(argv + 1, argv + argc);
}

std::size_t TerminalWidth(int fd) {
    winsize size{};
    if (::ioctl(fd, TIOCGWINSZ, &size) == 0 && size.ws_col > 0) return size.ws_col;
    return 80;
}

std::filesystem::path ProgramFile() {
    std::error_code error;
    std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    return error ? std::filesystem::path("vantrel") : self;
}

}  // namespace vantrel::cli
