// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Message boxes on the console. Information goes to stdout, everything else to stderr,
// caption first. A question is asked on a terminal ("[y/N]"); without a terminal it is
// answered no and noted as refused, unless the user gave --yes beforehand.

#include <functional>
#include <istream>
#include <ostream>
#include <string>

#include "platform/Prompt.h"

namespace vantrel::cli {

class ConsolePrompt final : public IPrompt {
public:
    struct Options {
        bool assumeYes = false;    // --yes: every question is answered yes
        bool interactive = false;  // questions may be asked on `in`
    };

    ConsolePrompt(std::istream& in, std::ostream& out, std::ostream& err, Options options);

    using IPrompt::Show;
    PromptAnswer Show(std::string_view text, std::string_view caption, PromptButtons buttons,
                      PromptIcon icon) override;

    // Called before anything is printed (the progress printer clears its live line).
    void SetBeforePrint(std::function<void()> beforePrint) {
        beforePrint_ = std::move(beforePrint);
    }

    // True when a question went unasked because there was no terminal and no --yes.
    bool RefusedQuestion() const { return refused_; }

private:
    PromptAnswer Ask(std::string_view text, std::string_view caption, PromptButtons buttons);

    std::istream& in_;
    std::ostream& out_;
    std::ostream& err_;
    Options options_;
    std::function<void()> beforePrint_;
    bool refused_ = false;
};

// True when stdin is a terminal a question can be asked on.
bool StdinIsTerminal();

}  // namespace vantrel::cli
