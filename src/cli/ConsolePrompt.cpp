// SPDX-License-Identifier: GPL-3.0-or-later
#include "cli/ConsolePrompt.h"

#include <unistd.h>

#include <algorithm>
#include <cctype>

#include "cli/TerminalText.h"

namespace vantrel::cli {
namespace {

bool IsQuestion(PromptButtons buttons) {
    return buttons != PromptButtons::OK;
}

PromptAnswer Affirmative(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::OK;
}

PromptAnswer Negative(PromptButtons buttons) {
    return buttons == PromptButtons::YesNo ? PromptAnswer::No : PromptAnswer::Cancel;
}

bool IsYes(std::string answer) {
    std::transform(answer.begin(), answer.end(), answer.begin(),
                   [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
    answer.erase(0, answer.find_first_not_of(" \t"));
    answer.erase(answer.find_last_not_of(" \t\r") + 1);
    return answer == "y" || answer == "yes";
}

void PrintBox(std::ostream& stream, std::string_view caption, std::string_view text) {
    if (!caption.empty()) stream << caption << "\n";
    stream << PrintableText(text, true);
    if (text.empty() || text.back() != '\n') stream << "\n";
    stream << std::flush;
}

}  // namespace

ConsolePrompt::ConsolePrompt(std::istream& in, std::ostream& out, std::ostream& err,
                             Options options)
    : in_(in), out_(out), err_(err), options_(options) {}

PromptAnswer ConsolePrompt::Show(std::string_view text, std::string_view caption,
                                 PromptButtons buttons, PromptIcon icon) {
    if (IsQuestion(buttons)) return Ask(text, caption, buttons);
    if (beforePrint_) beforePrint_();
    PrintBox(icon == PromptIcon::Information ? out_ : err_, caption, text);
    return PromptAnswer::OK;
}

PromptAnswer ConsolePrompt::Ask(std::string_view text, std::string_view caption,
                                PromptButtons buttons) {
    if (options_.assumeYes) return Affirmative(buttons);
    if (!options_.interactive) {
        refused_ = true;
        return Negative(buttons);
    }
    if (beforePrint_) beforePrint_();
    if (!caption.empty()) err_ << caption << "\n";
    err_ << PrintableText(text, true) << " [y/N] " << std::flush;
    std::string answer;
    if (!std::getline(in_, answer)) {
        err_ << "\n";
        return Negative(buttons);
    }
    return IsYes(answer) ? Affirmative(buttons) : Negative(buttons);
}

bool StdinIsTerminal() {
    return ::isatty(STDIN_FILENO) == 1;
}

}  // namespace vantrel::cli
