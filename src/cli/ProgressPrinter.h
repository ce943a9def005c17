// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Shows what a running logger operation posts (status texts, progress, transfer errors,
// transfer rate). On a terminal: one line redrawn in place. Otherwise: one plain line per
// change of the status text, so logs stay readable.

#include <chrono>
#include <ostream>
#include <string>

#include "cli/ProgressLine.h"
#include "platform/Notification.h"

namespace vantrel::cli {

class ProgressPrinter final : public INotificationTarget {
public:
    // `live`: redraw one line in place (a terminal of `width` columns).
    ProgressPrinter(std::ostream& out, bool live, std::size_t width = 80);

    void OnNotification(const Notification& notification) override;

    // Removes the live line so that other text (a message box) starts on a clean line;
    // the next notification draws it again.
    void ClearLine();
    // Ends the display. On a terminal the live line gives way to the last status text on
    // a line of its own; plain output has printed it already.
    void Finish();

    const std::string& LastStatus() const { return state_.status; }

private:
    void OnStatus(const Notification& notification);
    void Redraw(bool force);

    std::ostream& out_;
    bool live_;
    std::size_t width_;
    ProgressState state_;
    bool lineShown_ = false;
    std::chrono::steady_clock::time_point lastDraw_{};
};

}  // namespace vantrel::cli
