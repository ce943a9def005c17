// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel logger ls: the files on the logger with their sizes.

#include <algorithm>
#include <cstdint>

#include "cli/Command.h"
#include "cli/CommandSession.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"

namespace vantrel::cli {
namespace {

void PrintListing(const std::vector<std::string>& names, const std::vector<std::uint32_t>& sizes,
                  std::ostream& out) {
    std::size_t nameWidth = 0;
    std::size_t sizeWidth = 1;
    std::uint64_t total = 0;
    std::vector<std::string> shown;
    for (std::size_t i = 0; i < names.size(); ++i) {
        shown.push_back(PrintableText(names[i]));
        nameWidth = std::max(nameWidth, shown[i].size());
        sizeWidth = std::max(sizeWidth, std::to_string(sizes[i]).size());
        total += sizes[i];
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        const std::string size = std::to_string(sizes[i]);
        out << shown[i] << std::string(nameWidth - shown[i].size() + 2, ' ')
            << std::string(sizeWidth - size.size(), ' ') << size << "\n";
    }
    out << names.size() << (names.size() == 1 ? " file, " : " files, ") << total << " bytes\n";
}

int RunLoggerLs(const ParsedArgs& args, CommandIo& io) {
    ToolSettings settings(io.err);
    CommandSession session(args, io, settings);
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    const int status = session.Run([&] {
        return session.engine().ListFiles(&session.printer(), session.link(), names, sizes);
    });
    if (status == kExitOk) PrintListing(names, sizes, io.out);
    return status;
}

const CommandRegistration kLoggerLs{Command{
    CommandSpec{
        .name = "logger ls",
        .summary = "List the files on the logger with their sizes",
        .arguments = "[--port P] [--baud B]",
        .options = options::LinkOptions(),
        .details = "One line per file, \"NAME  SIZE\" (bytes), in the logger's order, then the "
                   "total.",
    },
    &RunLoggerLs}};

}  // namespace
}  // namespace vantrel::cli
