// SPDX-License-Identifier: GPL-3.0-or-later
// bench_link_fetch: downloads every file of a logger over the link engine, for measuring
// the link's throughput and CPU use. Prints "files N bytes B seconds S".
//   bench_link_fetch PORT BAUD [--trace FILE]
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <iostream>
#include <string>
#include <vector>

#include "link/LinkEngine.h"
#include "platform/NotificationQueue.h"

namespace {

// Prompts go to stderr; there is nobody to answer them.
class StderrPrompt final : public vantrel::IPrompt {
public:
    using IPrompt::Show;
    vantrel::PromptAnswer Show(std::string_view text, std::string_view caption,
                               vantrel::PromptButtons, vantrel::PromptIcon) override {
        std::fprintf(stderr, "%.*s: %.*s\n", static_cast<int>(caption.size()), caption.data(),
                     static_cast<int>(text.size()), text.data());
        return vantrel::PromptAnswer::OK;
    }
};

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: bench_link_fetch PORT BAUD [--trace FILE]\n");
        return 2;
    }
    vantrel::SystemClock clock;
    vantrel::NotificationQueue queue(clock);
    StderrPrompt prompt;
    vantrel::StreamDiagnosticLog log(std::cerr);
    vantrel::CLinkEngine engine(vantrel::LinkServices{queue, clock, prompt, log});
    if (argc == 5 && std::string(argv[3]) == "--trace") {
        engine.SetTrace(std::make_unique<vantrel::LineTrace>(argv[4], clock));
    }
    const vantrel::LinkSettings settings{argv[1], std::atoi(argv[2])};

    const auto start = std::chrono::steady_clock::now();
    std::vector<std::string> names;
    std::vector<std::uint32_t> sizes;
    if (!engine.ListFiles(nullptr, settings, names, sizes)) {
        std::fprintf(stderr, "listing failed: %s\n",
                     vantrel::DescribePortOpenFailure(engine.LastOpenFailure()).c_str());
        return 1;
    }
    if (!engine.OperationPrologue(nullptr, settings)) return 1;
    std::uint64_t bytes = 0;
    for (std::size_t i = 0; i < names.size(); ++i) {
        std::string content;
        if (!engine.RetrieveFile(names[i], sizes[i], content)) {
            std::fprintf(stderr, "download of %s failed\n", names[i].c_str());
            return 1;
        }
        bytes += content.size() / 2;
    }
    engine.CloseLink();
    const double seconds =
        std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
    std::printf("files %zu bytes %llu seconds %.3f\n", names.size(),
                static_cast<unsigned long long>(bytes), seconds);
    return 0;
}
