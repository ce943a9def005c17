// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// User prompts (message boxes). The GUI shows a real box; the CLI prints the text; tests
// record it and answer from a script.

#include <string>
#include <string_view>

namespace vantrel {

enum class PromptButtons { OK, OKCancel, YesNo };
enum class PromptIcon { None, Information, Question, Exclamation, Stop };
enum class PromptAnswer { OK, Cancel, Yes, No };

class IPrompt {
public:
    virtual ~IPrompt() = default;
    // Shows `text` with `caption` (empty: the application's name) and returns the answer.
    virtual PromptAnswer Show(std::string_view text, std::string_view caption,
                              PromptButtons buttons, PromptIcon icon) = 0;

    // The framework's plain message box: OK button, no caption of its own.
    PromptAnswer Show(std::string_view text) {
        return Show(text, {}, PromptButtons::OK, PromptIcon::Exclamation);
    }
};

}  // namespace vantrel
