// vantrel ports: the serial ports the system lists.

#include "cli/Command.h"
#include "frontend/SerialPorts.h"

namespace vantrel::cli {
namespace {

int RunPorts(const ParsedArgs&, CommandIo& io) {
    const std::vector<std::string> ports = AvailablePortNames();
    if (ports.empty()) io.err << "No serial ports were found.\n";
    for (const std::string& port : ports) io.out << port << "\n";
    return kExitOk;
}

const CommandRegistration kPorts{Command{
    CommandSpec{
        .name = "ports",
        .summary = "List the serial ports of this computer",
        .arguments = "",
        .options = {},
        .details = "Names only, sorted; use one with --port NAME or: vantrel settings Port NAME",
    },
    &RunPorts}};

}  // namespace
}  // namespace vantrel::cli
