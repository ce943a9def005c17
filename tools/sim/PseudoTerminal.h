// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// The simulator's end of the serial line: a pseudo-terminal whose slave device the program
// under test opens like a serial port, optionally reachable through a symlink.
//
// The simulator does not keep the slave device open itself. A program that takes the port
// exclusively (TIOCEXCL) and closes it without releasing that would otherwise lock itself
// out of its next open while our descriptor kept the terminal alive. Instead, while no
// program has the slave open the master reports a hang-up, and the server backs off briefly
// until one opens it again (the hang-up clears on the next open).

#include <filesystem>
#include <string>

namespace vantrel::sim {

class PseudoTerminal {
public:
    // Opens the pair and puts the line in raw mode (8 bits, no echo, no translation).
    // Throws std::system_error on failure.
    PseudoTerminal();
    ~PseudoTerminal();

    PseudoTerminal(const PseudoTerminal&) = delete;
    PseudoTerminal& operator=(const PseudoTerminal&) = delete;

    int masterFd() const { return master_; }
    const std::string& slavePath() const { return slavePath_; }

    // Makes `link` a symlink to the slave device, replacing an older symlink there (never a
    // file or folder). Removed again by the destructor if it still points to our device.
    // Throws std::runtime_error with a readable message on failure.
    void CreateLink(const std::filesystem::path& link);

private:
    int master_ = -1;
    std::string slavePath_;
    std::filesystem::path link_;
};

}  // namespace vantrel::sim
