// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Options shared by several commands, and the parsing of their values.

#include <optional>
#include <string>
#include <vector>

#include "cli/ArgParser.h"
#include "ops/ExportText.h"

namespace vantrel::cli::options {

// Inline, so that they are initialised before the command registrations that use them
// (each registration is defined after this header in its own file).
inline const OptionSpec kPort{
    "--port", "PATH_OR_NAME",
    "serial port for this run (ttyUSB0, /dev/ttyUSB0, a simulator's link)"};
inline const OptionSpec kBaud{"--baud", "RATE", "baud rate for this run: 9600, 19200 or 38400"};
inline const OptionSpec kFolder{"--folder", "DIR", "backup folder for this run"};
inline const OptionSpec kVerbose{"--verbose", "", "print the link's diagnostic lines to stderr"};
inline const OptionSpec kTrace{"--trace", "FILE", "write every byte sent and received to FILE"};
inline const OptionSpec kYes{"--yes", "", "answer yes to the question instead of asking"};

// The options of every command that talks to the logger: port, baud, verbose, trace.
std::vector<OptionSpec> LinkOptions();
// `base` followed by `extra`.
std::vector<OptionSpec> With(std::vector<OptionSpec> base, const std::vector<OptionSpec>& extra);

// 9600, 19200 or 38400 from the text of --baud; throws UsageError for anything else.
int ParseBaudRate(const std::string& text);

// The export format from the text of --format: "calibrated" (also when absent) or
// "scaled"; throws UsageError for anything else.
ExportFormat ParseExportFormat(const std::optional<std::string>& text);

// Options that take a value, for moving options given before the command name behind it.
bool TakesValue(const std::string& option);

}  // namespace vantrel::cli::options
