// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/CommandSession.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

#include "cli/Console.h"
#include "cli/InterruptWatcher.h"
#include "cli/SharedOptions.h"
#include "cli/TerminalText.h"
#include "frontend/RestoreRecord.h"
#include "link/LineTrace.h"

#include <cerrno>
#include <cstring>

namespace vantrel::cli {
namespace {

std::unique_ptr<IDiagnosticLog> MakeLog(bool verbose, std::ostream& err) {
    if (verbose) return std::make_unique<StreamDiagnosticLog>(err);
    return std::make_unique<NullDiagnosticLog>();
}

// A line redrawn in place only on a terminal, and not when diagnostic lines interleave.
bool LiveProgress(bool verbose) {
    return !verbose && ::isatty(STDOUT_FILENO) == 1;
}

}  // namespace

CommandSession::CommandSession(const ParsedArgs& args, CommandIo& io, ToolSettings& settings)
    : io_(io),
      link_(settings.Link(args)),
      queue_(clock_),
      log_(MakeLog(args.Has(options::kVerbose.name), io.err)),
      prompt_(std::cin, io.out, io.err,
              {.assumeYes = args.Has(options::kYes.name), .interactive = StdinIsTerminal()}),
      printer_(io.out, LiveProgress(args.Has(options::kVerbose.name)),
               TerminalWidth(STDOUT_FILENO)),
      session_(LinkServices{queue_, clock_, prompt_, *log_}, [this] { return link_; }),
      records_(settings.store()) {
    if (const std::string notices = records_.TakeNotices(); !notices.empty()) {
        io.err << PrintableText(notices, /*keepLineBreaks=*/true) << std::endl;
    }
    // A message never overtakes a status text posted before it.
    prompt_.SetBeforePrint([this] {
        queue_.DrainPending();
        printer_.ClearLine();
    });
    if (const auto trace = args.Value(options::kTrace.name)) {
        // A trace is a help, never a reason to fail the operation: a file that cannot be
        // written is said at once, and the operation goes on without it.
        const std::string shown = PrintableText(*trace);
        auto lineTrace = std::make_unique<LineTrace>(*trace, clock_, [this, shown](auto& reason) {
            printer_.ClearLine();
            io_.err << kProgram << ": warning: the trace file '" << shown
                    << "' could not be written (" << reason << "); the trace stops here"
                    << std::endl;
        });
        if (lineTrace->IsOpen()) {
            engine().SetTrace(std::move(lineTrace));
        } else {
            io.err << kProgram << ": warning: cannot write the trace file '" << shown << "' ("
                   << std::strerror(errno) << "); going on without a trace" << std::endl;
        }
    }
}

CommandSession::~CommandSession() {
    queue_.Discard(&printer_);
}

void CommandSession::RequestCancel(int signal) {
    if (signal != SIGINT) operations().NoteProgramEnding();
    if (!cancelRequested_) {
        printer_.ClearLine();
        io_.err << "Cancelling (the link stops at the logger's next answer)..." << std::endl;
    }
    cancelRequested_ = true;
    engine().SetCancel(true);
}

int CommandSession::Run(const std::function<bool()>& operation) {
    bool succeeded = false;
    int signal = 0;
    {
        // The watcher thread never touches the engine: it posts the cancel to the queue,
        // which the engine pumps while it waits for the logger.
        InterruptWatcher watcher([this, &watcher] {
            const int received = watcher.Signal();
            queue_.Post(nullptr,
                        Notification::Invoke([this, received] { RequestCancel(received); }));
        });
        succeeded = operation();
        queue_.DrainPending();
        signal = watcher.Signal();
    }
    printer_.Finish();
    if (succeeded) return kExitOk;
    if (cancelRequested_ || signal != 0) {
        io_.err << kProgram << ": cancelled" << std::endl;
        // Ctrl-C gives 130, SIGTERM 143, SIGHUP 129: the shell's convention for a signal.
        return signal != 0 ? 128 + signal : kExitCancelled;
    }
    const std::string explanation = session_.ExplainOpenFailure(PortAdvice::CommandLine);
    if (!explanation.empty()) io_.err << explanation << std::endl;
    return kExitFailed;
}

}  // namespace vantrel::cli
