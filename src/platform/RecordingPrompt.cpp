// SPDX-License-Identifier: GPL-3.0-or-later
#include "platform/RecordingPrompt.h"

namespace vantrel {

PromptAnswer RecordingPrompt::Show(std::string_view text, std::string_view caption,
                                   PromptButtons buttons, PromptIcon icon) {
    shown_.push_back(Shown{std::string(text), std::string(caption), buttons, icon});
    if (!script_.empty()) {
        const PromptAnswer answer = script_.front();
        script_.pop_front();
        return answer;
    }
    return buttons == PromptButtons::YesNo ? PromptAnswer::Yes : PromptAnswer::OK;
}

std::vector<std::string> RecordingPrompt::Texts() const {
    std::vector<std::string> texts;
    for (const Shown& shown : shown_) texts.push_back(shown.text);
    return texts;
}

}  // namespace vantrel
