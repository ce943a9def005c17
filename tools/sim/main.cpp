// SPDX-License-Identifier: GPL-3.0-or-later
// vantrel-logger-sim: plays the Vantrel logger on a pseudo-terminal for tests and demos.

#include <signal.h>
#include <sys/signalfd.h>
#include <unistd.h>

#include <csignal>
#include <cstdio>
#include <exception>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <memory>
#include <optional>
#include <stdexcept>

#include "sim/LoggerEngine.h"
#include "sim/PseudoTerminal.h"
#include "sim/SimOptions.h"
#include "sim/SimServer.h"
#include "sim/TrafficLog.h"

namespace {

using namespace vantrel::sim;

constexpr int kUsageError = 2;
constexpr int kRunError = 1;

// SIGTERM, SIGINT and SIGHUP are taken through a signalfd, so the program always leaves
// through its normal path (dump, symlink removal).
int OpenStopSignals() {
    sigset_t signals;
    sigemptyset(&signals);
    sigaddset(&signals, SIGTERM);
    sigaddset(&signals, SIGINT);
    sigaddset(&signals, SIGHUP);
    if (sigprocmask(SIG_BLOCK, &signals, nullptr) != 0) return -1;
    return signalfd(-1, &signals, SFD_CLOEXEC | SFD_NONBLOCK);
}

LoggerFileSystem LoadImage(const std::string& dir) {
    if (dir.empty()) return {};
    std::vector<std::string> skipped;
    LoggerFileSystem files;
    try {
        files = LoggerFileSystem::LoadFromDirectory(dir, &skipped);
    } catch (const std::filesystem::filesystem_error& error) {
        throw std::runtime_error("cannot load the image folder " + dir + ": " +
                                 error.code().message());
    }
    for (const std::string& name : skipped) {
        std::cerr << "vantrel-logger-sim: skipping \"" << name
                  << "\" in the image: not a name the logger can hold\n";
    }
    return files;
}

int Run(const SimOptions& options) {
    const int stopFd = OpenStopSignals();
    if (stopFd < 0) {
        std::perror("vantrel-logger-sim: signalfd");
        return kRunError;
    }
    std::signal(SIGPIPE, SIG_IGN);

    LoggerEngine engine(LoadImage(options.image), options.faults);
    PseudoTerminal terminal;
    if (!options.link.empty()) terminal.CreateLink(options.link);

    std::ofstream logFile;
    std::optional<TrafficLog> log;
    const auto start = std::chrono::steady_clock::now();
    if (!options.log.empty()) {
        logFile.open(options.log, std::ios::trunc);
        if (!logFile) {
            std::cerr << "vantrel-logger-sim: cannot write the log file " << options.log << "\n";
            return kRunError;
        }
        log.emplace(logFile, start);
    }

    std::cout << "ready " << (options.link.empty() ? terminal.slavePath() : options.link)
              << std::endl;

    SimServer server(engine, terminal.masterFd(), stopFd, options.baud, log ? &*log : nullptr,
                     options.strictBaud);
    server.Run(std::chrono::seconds{options.exitAfterIdleSeconds});
    close(stopFd);

    if (!options.dump.empty()) {
        try {
            engine.files().DumpToDirectory(options.dump);
        } catch (const std::exception& error) {
            std::cerr << "vantrel-logger-sim: could not dump the file system to " << options.dump
                      << ": " << error.what() << "\n";
            return kRunError;
        }
    }
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const ParsedOptions parsed = ParseSimOptions(std::vector<std::string>(argv + 1, argv + argc));
    if (!parsed.options) {
        std::cerr << "vantrel-logger-sim: " << parsed.error << "\n\n" << SimUsage();
        return kUsageError;
    }
    if (parsed.options->help) {
        std::cout << SimUsage();
        return 0;
    }
    try {
        return Run(*parsed.options);
    } catch (const std::exception& error) {
        std::cerr << "vantrel-logger-sim: " << error.what() << "\n";
        return kRunError;
    }
}
