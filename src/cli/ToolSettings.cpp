// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ToolSettings.h"

#include <stdexcept>

#include "cli/Command.h"
#include "cli/Console.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "ops/AppSettings.h"

namespace vantrel::cli {

ToolSettings::ToolSettings(std::ostream& err) {
    if (!store_.Usable()) {
        throw std::runtime_error("cannot use the settings file " + store_.Problem());
    }
    // A file left as it is is said once, and gets no start-up values: they would wait for a
    // save that cannot come, and make the save of a value a command stores fail.
    if (const std::string notice = store_.LeftAsItIsNotice(); !notice.empty()) {
        err << kProgram << ": warning: " << PrintableText(notice) << "\n";
        return;
    }
    RecordStartUp(store_, ProgramFile());
    if (!store_.Sync()) {
        throw std::runtime_error("could not write the settings file " + store_.Problem());
    }
}

std::string ToolSettings::BackupFolder(const ParsedArgs& args) const {
    if (const auto folder = args.Value(options::kFolder.name)) return *folder;
    return ReadBackupFolder(store_, folders_);
}

LinkSettings ToolSettings::Link(const ParsedArgs& args) const {
    LinkSettings link = ReadLinkSettings(store_);
    if (const auto port = args.Value(options::kPort.name)) {
        if (port->empty()) throw UsageError("--port needs a port name or path");
        link.port = *port;
    }
    if (const auto baud = args.Value(options::kBaud.name))
        link.baudRate = options::ParseBaudRate(*baud);
    return link;
}

}  // namespace vantrel::cli
