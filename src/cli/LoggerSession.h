#pragma once
// Everything one logger command needs: the link engine with its queue and clock, the
// console prompt, the progress printer, Ctrl-C handling and the exit status of the run.

#include <functional>
#include <memory>

#include "Command.h"
#include "ConsolePrompt.h"
#include "ProgressPrinter.h"
#include "ToolSettings.h"
#include "link/LinkEngine.h"
#include "platform/Clock.h"
#include "platform/DiagnosticLog.h"
#include "platform/NotificationQueue.h"

namespace vantrel::cli {

inline constexpr int kExitCancelled = 130;

class LoggerSession {
public:
    // Reads --port, --baud, --verbose, --trace and --yes from `args`; throws UsageError
    // for a bad value or a trace file that cannot be written.
    LoggerSession(const ParsedArgs& args, CommandIo& io, const ToolSettings& settings);
    ~LoggerSession();
    LoggerSession(const LoggerSession&) = delete;
    LoggerSession& operator=(const LoggerSession&) = delete;

    CLinkEngine& engine() { return engine_; }
    ConsolePrompt& prompt() { return prompt_; }
    ProgressPrinter& printer() { return printer_; }
    const LinkSettings& link() const { return link_; }

    // Runs `operation` (true on success) with Ctrl-C turned into the engine's cancel flag,
    // shows what it posted, and gives the exit status: 0 success, 130 cancelled, 1 failed
    // (after saying why a port could not be opened).
    int Run(const std::function<bool()>& operation);

private:
    void RequestCancel();
    void ExplainOpenFailure();

    CommandIo& io_;
    LinkSettings link_;
    SystemClock clock_;
    NotificationQueue queue_;
    std::unique_ptr<IDiagnosticLog> log_;
    ConsolePrompt prompt_;
    ProgressPrinter printer_;
    CLinkEngine engine_;
    bool cancelRequested_ = false;
};

}  // namespace vantrel::cli
