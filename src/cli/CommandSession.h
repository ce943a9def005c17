// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// One logger command's run: the shared engine on a plain queue and the system clock, the
// console prompt, the progress printer, Ctrl-C handling and the exit status of the run.
// The restores that earlier runs (of either program) left unfinished, and that no longer
// run, are told on stderr, once, when the session begins; a restore run in the session is
// recorded through records().

#include <functional>
#include <memory>

#include "cli/Command.h"
#include "cli/ConsolePrompt.h"
#include "cli/ProgressPrinter.h"
#include "cli/ToolSettings.h"
#include "frontend/LoggerSession.h"
#include "frontend/RestoreRecord.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"

namespace vantrel::cli {

inline constexpr int kExitCancelled = 130;

class CommandSession {
public:
    // Reads --port, --baud, --verbose, --trace and --yes from `args`; throws UsageError
    // for a bad value or a trace file that cannot be written. `settings` outlives the
    // session.
    CommandSession(const ParsedArgs& args, CommandIo& io, ToolSettings& settings);
    ~CommandSession();
    CommandSession(const CommandSession&) = delete;
    CommandSession& operator=(const CommandSession&) = delete;

    CLinkEngine& engine() { return session_.engine(); }
    CLoggerOperations& operations() { return session_.operations(); }
    ConsolePrompt& prompt() { return prompt_; }
    ProgressPrinter& printer() { return printer_; }
    const LinkSettings& link() const { return link_; }
    RestoreRecords& records() { return records_; }

    // Runs `operation` (true on success) with Ctrl-C turned into the engine's cancel flag,
    // shows what it posted, and gives the exit status: 0 success, 130 cancelled, 1 failed
    // (after saying why a port could not be opened).
    int Run(const std::function<bool()>& operation);

private:
    // Ctrl-C cancels; SIGTERM and SIGHUP also end the program.
    void RequestCancel(int signal);

    CommandIo& io_;
    LinkSettings link_;
    SystemClock clock_;
    NotificationQueue queue_;
    std::unique_ptr<IDiagnosticLog> log_;
    ConsolePrompt prompt_;
    ProgressPrinter printer_;
    LoggerSession session_;
    RestoreRecords records_;
    bool cancelRequested_ = false;
};

}  // namespace vantrel::cli
