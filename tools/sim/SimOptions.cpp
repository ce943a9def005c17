// SPDX-License-Identifier: GPL-3.0-or-later
#include "sim/SimOptions.h"

#include <termios.h>

#include <charconv>
#include <cstdint>
#include <functional>
#include <map>

namespace vantrel::sim {
namespace {

template <typename Number>
bool ParseNumber(const std::string& text, Number& value, Number minimum) {
    Number parsed{};
    const auto [end, error] = std::from_chars(text.data(), text.data() + text.size(), parsed);
    if (error != std::errc{} || end != text.data() + text.size() || parsed < minimum) return false;
    value = parsed;
    return true;
}

}  // namespace

const char* SimUsage() {
    return "Usage: vantrel-logger-sim [options]\n"
           "Plays the Vantrel logger on a pseudo-terminal. Prints \"ready <path>\" when it\n"
           "answers, then runs until SIGTERM or SIGINT.\n"
           "\n"
           "  --link PATH            symlink PATH to the slave device (removed on exit)\n"
           "  --image DIR            load the logger's files from DIR (default: none)\n"
           "  --dump DIR             write the logger's files to DIR on exit\n"
           "  --log FILE             log every frame received and sent, with times\n"
           "  --baud B               pace the line at B baud, 10 bits a byte (default: unpaced)\n"
           "  --strict-baud          with --baud: hear the program only while its side of the\n"
           "                         line is set to B baud; at any other rate its requests are\n"
           "                         garbage and get no answer (a logger set to another rate)\n"
           "  --exit-after-idle S    exit when nothing was received for S seconds\n"
           "Faults (each with probability 1/N per reply, from --seed; a retry of a\n"
           "faulted request is answered cleanly unless --fault-retries):\n"
           "  --holdoff-every N      send a hold-off, then the reply --holdoff-ms M later\n"
           "  --holdoff-ms M         hold-off delay in milliseconds (default 1500)\n"
           "  --nak-every N          refuse with NAK 04 (File Error) without acting\n"
           "  --bad-lrc-every N      corrupt the reply's LRC\n"
           "  --drop-every N         send no reply\n"
           "  --stale-id-every N     reply with the previous message id\n"
           "  --short-blocks         read and accept fewer bytes than asked (never 0)\n"
           "  --fault-retries        let retries fail too\n"
           "  --silent-after N       answer nothing after the first N requests (a dead line)\n"
           "  --endless-listing      never end the file listing: list made-up files forever\n"
           "  --seed S               seed of the fault generator (default 1)\n"
           "  --help                 show this text\n";
}

ParsedOptions ParseSimOptions(const std::vector<std::string>& args) {
    SimOptions options;
    std::uint32_t holdOffMs = 1500;
    const std::map<std::string, std::string*> texts = {{"--link", &options.link},
                                                       {"--image", &options.image},
                                                       {"--dump", &options.dump},
                                                       {"--log", &options.log}};
    const std::map<std::string, std::pair<std::uint32_t*, std::uint32_t>> numbers = {
        {"--baud", {&options.baud, 1}},
        {"--exit-after-idle", {&options.exitAfterIdleSeconds, 1}},
        {"--holdoff-every", {&options.faults.holdOffEvery, 1}},
        {"--holdoff-ms", {&holdOffMs, 0}},
        {"--nak-every", {&options.faults.nakEvery, 1}},
        {"--bad-lrc-every", {&options.faults.badLrcEvery, 1}},
        {"--drop-every", {&options.faults.dropEvery, 1}},
        {"--stale-id-every", {&options.faults.staleIdEvery, 1}},
        {"--silent-after", {&options.faults.silentAfter, 1}}};

    for (std::size_t i = 0; i < args.size(); ++i) {
        const std::string& arg = args[i];
        if (arg == "--help" || arg == "-h") {
            options.help = true;
        } else if (arg == "--short-blocks") {
            options.faults.shortBlocks = true;
        } else if (arg == "--fault-retries") {
            options.faults.faultRetries = true;
        } else if (arg == "--endless-listing") {
            options.faults.endlessListing = true;
        } else if (arg == "--strict-baud") {
            options.strictBaud = true;
        } else if (texts.count(arg) || numbers.count(arg) || arg == "--seed") {
            if (i + 1 >= args.size()) return {std::nullopt, arg + " needs a value"};
            const std::string& value = args[++i];
            if (const auto text = texts.find(arg); text != texts.end()) {
                if (value.empty()) return {std::nullopt, arg + " needs a non-empty value"};
                *text->second = value;
            } else if (arg == "--seed") {
                if (!ParseNumber<std::uint64_t>(value, options.faults.seed, 0)) {
                    return {std::nullopt, "--seed: not a number: " + value};
                }
            } else {
                const auto& [target, minimum] = numbers.at(arg);
                if (!ParseNumber<std::uint32_t>(value, *target, minimum)) {
                    return {std::nullopt, arg + ": expected a whole number of at least " +
                                              std::to_string(minimum) + ", got \"" + value + "\""};
                }
            }
        } else {
            return {std::nullopt, "unknown option: " + arg};
        }
    }
    options.faults.holdOffDelay = std::chrono::milliseconds{holdOffMs};
    if (options.strictBaud && !IsLineRate(options.baud)) {
        return {std::nullopt,
                "--strict-baud needs --baud with a serial line rate (such as "
                "9600, 19200 or 38400)"};
    }
    return {options, {}};
}

namespace {
const std::map<unsigned, std::uint32_t>& LineRates() {
    static const std::map<unsigned, std::uint32_t> rates = {
        {B1200, 1200},   {B2400, 2400},   {B4800, 4800},   {B9600, 9600},
        {B19200, 19200}, {B38400, 38400}, {B57600, 57600}, {B115200, 115200}};
    return rates;
}
}  // namespace

std::uint32_t RateOfSpeed(unsigned speed) {
    const auto found = LineRates().find(speed);
    return found == LineRates().end() ? 0 : found->second;
}

bool IsLineRate(std::uint32_t rate) {
    for (const auto& [speed, value] : LineRates()) {
        if (value == rate) return true;
    }
    return false;
}

}  // namespace vantrel::sim
