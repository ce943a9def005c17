// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel settings [KEY VALUE]: shows every setting, or changes one.

#include "cli/Command.h"
#include "cli/TerminalText.h"
#include "cli/ToolSettings.h"
#include "frontend/SettingsTable.h"

namespace vantrel::cli {
namespace {

int RunSettings(const ParsedArgs& args, CommandIo& io) {
    if (args.positionals.size() == 1) throw UsageError("give a KEY and a VALUE, or neither");
    ToolSettings settings(io.err);
    if (args.positionals.empty()) {
        io.out << FormatSettingsTable(ReadSettingsTable(settings.store(), settings.folders()));
        return kExitOk;
    }
    const SettingWritten written =
        WriteSetting(settings.store(), args.positionals[0], args.positionals[1]);
    if (!settings.Sync()) {
        io.err << kProgram << " settings: could not write the settings file "
               << PrintableText(settings.Problem()) << "\n";
        return kExitFailed;
    }
    io.out << written.name << " = " << written.stored << "\n";
    if (!written.warning.empty()) io.err << written.warning << "\n";
    return kExitOk;
}

const CommandRegistration kSettings{
    Command{CommandSpec{
                .name = "settings",
                .summary = "Show the settings, or change one",
                .arguments = "[KEY VALUE]",
                .maxPositionals = 2,
                .options = {},
                .details = "Without arguments: every setting with its value; \"(default)\" marks a "
                           "value that is not stored.\nKEY VALUE changes one of:\n"
                           "  Port            a port name (ttyUSB0) or a path (/dev/ttyUSB0)\n"
                           "  \"Baud Rate\"     the index 0, 1, 2 or the rate 9600, 19200, 38400\n"
                           "  \"Default Path\"  the backup folder (an existing folder)\n"
                           "  \"Export Path\"   the export folder (an existing folder)\n"
                           "The settings live in ~/.config/Ortvel/VantrelUtilities.conf.",
            },
            &RunSettings}};

}  // namespace
}  // namespace vantrel::cli
