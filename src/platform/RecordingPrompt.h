// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Test double of IPrompt: records every prompt and answers from a script.

#include <deque>
#include <string>
#include <vector>

#include "platform/Prompt.h"

namespace vantrel {

class RecordingPrompt final : public IPrompt {
public:
    struct Shown {
        std::string text;
        std::string caption;
        PromptButtons buttons;
        PromptIcon icon;
    };

    using IPrompt::Show;
    PromptAnswer Show(std::string_view text, std::string_view caption, PromptButtons buttons,
                      PromptIcon icon) override;

    // Answers given in order; when the script is empty, the first button's answer (OK, Yes).
    void ScriptAnswer(PromptAnswer answer) { script_.push_back(answer); }

    const std::vector<Shown>& shown() const { return shown_; }
    std::vector<std::string> Texts() const;
    void Clear() { shown_.clear(); }

private:
    std::vector<Shown> shown_;
    std::deque<PromptAnswer> script_;
};

}  // namespace vantrel
