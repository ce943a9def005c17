// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Command-line options of vantrel-logger-sim.

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "sim/FaultPlan.h"

namespace vantrel::sim {

struct SimOptions {
    std::string link;        // symlink to create to the slave device; "" = none
    std::string image;       // folder whose files become the logger's files; "" = empty
    std::string dump;        // folder to write the file system to on exit; "" = none
    std::string log;         // line log file; "" = none
    std::uint32_t baud = 0;  // 0 = unpaced
    // With `baud`: the logger talks at that rate only. While the program's side of the
    // line is set to another rate, what it sends arrives as garbage and gets no answer.
    bool strictBaud = false;
    std::uint32_t exitAfterIdleSeconds = 0;  // 0 = run until a signal
    FaultOptions faults;
    bool help = false;
};

struct ParsedOptions {
    std::optional<SimOptions> options;  // nullopt when the command line is wrong
    std::string error;                  // the reason, for the user
};

ParsedOptions ParseSimOptions(const std::vector<std::string>& args);

const char* SimUsage();

// The rate of a termios speed constant (B19200 -> 19200); 0 for one this table lacks.
std::uint32_t RateOfSpeed(unsigned speed);
// Whether a rate has a termios speed constant the program's side can be set to.
bool IsLineRate(std::uint32_t rate);

}  // namespace vantrel::sim
