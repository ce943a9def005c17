// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel ports [--probe [--port NAME] [--yes]]: the serial ports the system lists and,
// with --probe, which of them the logger answers on and at which rate.

#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "cli/ToolSettings.h"
#include "frontend/LoggerProbe.h"
#include "frontend/SerialPorts.h"
#include "ops/AppSettings.h"

namespace vantrel::cli {
namespace {

constexpr const char* kProbe = "--probe";

// Offers to keep what was found as "Port" and "Baud Rate"; true when they were stored.
bool OfferToStore(const LinkSettings& found, CommandSession& session, ToolSettings& settings,
                  CommandIo& io) {
    const std::string port = PrintableText(found.port);
    const std::string question = "Store " + port + " at " + std::to_string(found.baudRate) +
                                 " baud as the port and baud rate of the logger?";
    if (session.prompt().Show(question, "Find Logger", PromptButtons::YesNo,
                              PromptIcon::Question) != PromptAnswer::Yes) {
        io.out << "Not stored. To store them: vantrel settings Port " << port
               << " and: vantrel settings \"Baud Rate\" " << found.baudRate
               << " (or run again with --yes)\n";
        return false;
    }
    WriteLinkChoice(settings.store(), found.port, *BaudIndexOfRate(found.baudRate));
    if (!settings.Sync()) {
        io.err << kProgram << " ports: the settings could not be written to "
               << PrintableText(settings.Problem()) << "\n";
        return false;
    }
    io.out << "Stored: Port " << port << ", Baud Rate " << found.baudRate << "\n";
    return true;
}

int RunProbe(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    CommandSession session(args, io, settings);
    std::vector<SerialPortListing> ports;
    if (const std::optional<std::string> port = args.Value(options::kPort.name)) {
        ports.push_back({*port, {}});
    } else {
        ports = AvailablePorts();
    }
    if (ports.empty()) {
        io.err << "No serial ports were found on this computer.\n";
        return kExitFailed;
    }

    LoggerProbe probe(session.engine());
    probe.SetProgress([&io](const std::string& port, int rate, int, int) {
        io.err << "Trying " << PrintableText(port) << " at " << rate << " baud..." << std::endl;
    });
    ProbeReport report;
    const int status = session.Run([&] {
        report = probe.Run(ports);
        return !report.cancelled;
    });
    for (const std::string& line : ProbeReportLines(report)) io.out << PrintableText(line) << "\n";
    if (status != kExitOk) return status;  // cancelled: nothing was changed
    io.out << PrintableText(ProbeConclusion(report)) << "\n";
    if (!report.found) return kExitFailed;
    OfferToStore(*report.found, session, settings, io);
    return kExitOk;
}

int RunPorts(const ParsedArgs& args, CommandIo& io) {
    if (args.Has(kProbe)) return RunProbe(args, io);
    for (const OptionSpec& option :
         {options::kPort, options::kYes, options::kVerbose, options::kTrace}) {
        if (args.Has(option.name)) throw UsageError(option.name + " goes with --probe");
    }
    const std::vector<SerialPortListing> ports = AvailablePorts();
    if (ports.empty()) io.err << "No serial ports were found on this computer.\n";
    // The name first and alone on its line's start, so that `cut -d' ' -f1` gives names.
    for (const SerialPortListing& port : ports) {
        io.out << PrintableText(port.name);
        if (!port.description.empty()) io.out << "  " << PrintableText(port.description);
        io.out << "\n";
    }
    return kExitOk;
}

const CommandRegistration kPorts{Command{
    CommandSpec{
        .name = "ports",
        .summary = "List the serial ports of this computer, or find the logger's",
        .arguments = "[--probe [--port NAME] [--yes]]",
        .options =
            {
                {kProbe, "",
                 "try each port at 38400, 19200 and 9600 baud and say which one the logger "
                 "answers on"},
                {options::kPort.name, options::kPort.valueName, "with --probe: try this port only"},
                {options::kYes.name, "",
                 "with --probe: store the port and rate found without asking"},
                options::kVerbose,
                options::kTrace,
            },
        .details =
            "One port a line, sorted by name, then two spaces and what its device says of\n"
            "itself, where it does: a USB adapter's maker and product (on Windows the name\n"
            "Device Manager shows). Use a name with --port NAME or: vantrel settings Port NAME\n"
            "--probe sends nothing but the Connect request (once, half a second's wait) and,\n"
            "when the logger answers, Close Link. A port that cannot be opened is listed with\n"
            "the reason. Ctrl-C stops the search. Exit status: 0 listed or found, 1 no logger\n"
            "answered or no port was found, 2 usage error, 130 cancelled.",
    },
    &RunPorts}};

}  // namespace
}  // namespace vantrel::cli
